#pragma once
// Record photos. Each vehicle and each customer may have one photo: a BMP file
// named after the record's key in the folder of its kind (CarPicDir or
// CustPicDir). No column refers to the file; the name is the only link.
//
// A window that shows photos has a picture (a QLabel; inside a QScrollArea it
// is sized to the picture, otherwise it shows the picture from its top-left
// corner, clipped), a read-only path box and the buttons "..." and "清除".
// TPhotoBox ties these to a folder. The path box tells what the picture holds:
//   empty            nothing
//   "[" key "]"      the stored file of the record shown
//   a full path      a file the user picked, not stored yet
// Files change only through write/store/DeletePhotoFile/MovePhotoFile.
#include <QImage>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <memory>
#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// folder + key + ".bmp".
QString PhotoFileName(const QString& folder, const QString& key);

// Whether a key can name a file inside its folder: no "/" or "\", not "." or "..".
bool PhotoKeyFitsFolder(const QString& key);
// The same with a notice for a key that does not fit; what names the key in
// the message ("车辆编号", "客户证件号"). True when the key fits.
bool CheckPhotoKey(QWidget* owner, const QString& key, const QString& what);

// Deletes the key's file when it exists; true when one was removed. A failure
// reports nothing.
bool DeletePhotoFile(const QString& folder, const QString& key);
// Renames the old key's file to the new key's, replacing a file of that name.
// Nothing happens when there is no such file or the keys are equal; a failure
// reports nothing. True when the file was moved.
bool MovePhotoFile(const QString& folder, const QString& oldKey, const QString& newKey);

// Reads a photo: BMP when the name ends in ".bmp", JPEG (full size) when it
// ends in ".jpg" or ".jpeg", in any letter case. A null image and the reason
// in *error when the kind is wrong, the file does not decode (a JPEG the
// decoder finds damaged or cut off included) or the picture is too large.
QImage LoadPhotoFile(const QString& fileName, QString* error = nullptr);

// Why a photo was not read.
enum class PhotoProblem { None, WrongKind, Damaged, TooLarge };
QImage LoadPhotoFile(const QString& fileName, QString* error, PhotoProblem* problem);

// The largest picture stored: its stored bitmap must still load and show.
constexpr qint64 MaxPhotoPixels = 36'000'000;
constexpr int MaxPhotoSide = 12'000;

// A save's photo in two halves around the record's row, so that the row and
// its photo are stored together or not at all:
//   auto staged = box.stage();        // before the row: the picture is written
//                                     // to a temporary file in the folder
//   TTransaction tr(cn);
//   ...write the row...;
//   staged->commitTo(key);            // moved into place (oldKey: a changed key)
//   tr.commit();
//   staged->keep();                   // only now are replaced files deleted
// Until keep(), the destructor puts every file back as it was and removes the
// temporary file; any throw on the way therefore leaves no file changed.
class TStagedPhoto {
public:
    enum class Action {
        Write,    // the picture becomes the key's file
        Remove,   // the key's file goes (no earlier file may attach to the record)
        Keep      // the stored file stays; with a changed key it moves to the new key
    };
    // Write: throws EAppError when the temporary file cannot be written.
    TStagedPhoto(const QString& folder, Action action, const QImage& picture = QImage());
    ~TStagedPhoto();
    TStagedPhoto(const TStagedPhoto&) = delete;
    TStagedPhoto& operator=(const TStagedPhoto&) = delete;

    // Puts the photo in place under key; an oldKey different from key is the
    // record's previous key, whose file goes. Throws EAppError when a key does
    // not fit the folder or a file cannot be moved.
    void commitTo(const QString& key, const QString& oldKey = QString());
    // The row is stored: the files put aside are deleted and nothing is undone.
    void keep();
    Action action() const { return m_action; }

private:
    void setAside(const QString& fileName);
    void move(const QString& from, const QString& to);

    QString m_folder;
    Action m_action;
    QString m_temp;
    QList<QPair<QString, QString>> m_moves;   // done, in order: from, to
    QStringList m_aside;
    bool m_kept = false;
};

class TPhotoBox;
class TADOConnection;

// Writes a record's row and its photo together or not at all: the photo is
// staged, writeRow runs in one transaction, the photo is moved into place under
// key (oldKey: the record's previous key) and the transaction committed. Any
// failure leaves the rows and the files as they were, and goes on.
void StoreWithPhoto(TADOConnection& cn, const TPhotoBox& photo, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey = QString());

class TPhotoBox : public QObject {
    Q_OBJECT
public:
    // folder is one of the global folder paths; it is read at each use.
    TPhotoBox(QWidget* owner, QLabel* picture, QLineEdit* pathBox, const QString& folder);

    // The pick routine: the open-file dialog, then the picture and the path
    // box take the file once it has loaded. A cancel changes nothing; a file
    // of another kind or one that does not decode gets a notice and changes
    // nothing. True when a picture was taken.
    bool pick();
    // Empties the picture and the path box; no file is touched.
    void clear();
    // Shows the key's stored file with "[key]" in the path box, or nothing
    // when there is none. A file that cannot be read leaves the picture empty
    // and the path box bracketed (so a save keeps the file) and throws.
    void showStored(const QString& key);

    bool hasPicture() const { return !m_image.isNull(); }
    const QImage& picture() const { return m_image; }
    QString pathText() const;
    bool pathEmpty() const { return pathText().isEmpty(); }
    // The path box shows the bracketed form of a stored photo.
    bool showsStored() const;

    QString folder() const { return *m_folder; }
    QString fileName(const QString& key) const { return PhotoFileName(*m_folder, key); }

    // Writes the picture as the key's file, replacing it. False when there is
    // no picture (nothing written); throws when the key does not fit the
    // folder or the file cannot be written.
    bool write(const QString& key);
    // What a save does with the photo of the record with this key: the picture
    // is written when the path box is not empty, and the key's file deleted
    // when it is empty, so no earlier file stays attached to the record. With
    // a changed key (oldKey not empty and different) the photo ends up under
    // the new key only. True when a picture was written.
    bool store(const QString& key, const QString& oldKey = QString());
    // What a save would do with the photo, staged before the record's row is
    // written (see TStagedPhoto): the picture when there is one, the removal
    // when the path box is empty, the stored file kept otherwise.
    std::unique_ptr<TStagedPhoto> stage() const;

private:
    void setPicture(const QImage& image);

    QWidget* m_owner;
    QLabel* m_picture;
    QLineEdit* m_path;
    const QString* m_folder;
    QImage m_image;
};
