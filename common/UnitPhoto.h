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
// Files change only through write, a staged photo and DeletePhotoFile.
#include <QImage>
#include <QList>
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

// Whether a key stays inside its folder: no "/" or "\", not "." or "..".
bool PhotoKeyStaysInFolder(const QString& key);
// The longest file name the folder takes, in bytes (255 when it cannot be asked).
int PhotoNameLimit(const QString& folder);
// Whether a key can name its file: it stays inside the folder, and its file
// name (key + ".bmp" in the file system's encoding) is within the folder's limit.
bool PhotoKeyFitsFolder(const QString& folder, const QString& key);
// Whether the key's photo file exists.
bool HasPhotoFile(const QString& folder, const QString& key);
// The key check before a record is written, with a notice when it fails: a key
// that would leave the folder is always refused; one too long to name a file
// only when a photo is to be kept under it (photoKept). what names the key in
// the message ("车辆编号", "客户证件号"). True when the key passes.
bool CheckPhotoKey(QWidget* owner, const QString& folder, const QString& key, const QString& what, bool photoKept);

// Why a file in a photo folder could not be read, written or moved, as a
// sentence without its full stop: the folder missing (asked of the disk, as the
// system's error alone does not tell), or the common causes of the system's
// error number err; empty for the rest.
QString PhotoFileCause(const QString& folder, int err);
// Whether two names are one file (a file system that ignores letter case): the
// same device and inode, or names apart only in letter case of which the
// second is found but spelled otherwise in its folder's listing. Without a
// listing (a folder that can be searched but not read) only the inode counts.
bool PhotoNamesAreOneFile(const QString& a, const QString& b);

// Deletes the key's file when it exists; true when one was removed. A failure
// reports nothing.
bool DeletePhotoFile(const QString& folder, const QString& key);

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
// its photo are stored together or not at all, also when the program stops
// half-way (see RecoverPhotoChanges):
//   auto staged = box.stage();        // before the row: the picture is written
//                                     // to a temporary file in the folder
//   TTransaction tr(cn);
//   ...write the row...;
//   staged->commitTo(key, oldKey, &cn); // moved into place (oldKey: a changed key)
//   tr.commit();
//   staged->keep();                   // only now are replaced files deleted
// Until keep(), the destructor puts every file back as it was and removes the
// temporary file; any throw on the way therefore leaves no file changed.
// Before the first file is written or moved, a change note in the data folder
// names every file the change makes or moves; it goes when the change is
// finished or undone, or else at the next start-up. The folder is synced after
// the moves, so a change whose row is stored survives a power loss.
class TPhotoNote;
class TADOConnection;
class TStagedPhoto {
public:
    enum class Action {
        Write,    // the picture becomes the key's file
        Remove,   // the key's file goes (no earlier file may attach to the record)
        Keep      // the stored file stays; with a changed key it moves to the new key,
                  // and a file left under the new key's name goes
    };
    // Write: throws EAppError when the temporary file cannot be written.
    TStagedPhoto(const QString& folder, Action action, const QImage& picture = QImage());
    ~TStagedPhoto();
    TStagedPhoto(const TStagedPhoto&) = delete;
    TStagedPhoto& operator=(const TStagedPhoto&) = delete;

    // Puts the photo in place under key; an oldKey different from key is the
    // record's previous key, whose file goes. A key that cannot name a file has
    // none to set aside. Throws EAppError when a photo is to be kept under a key
    // that cannot name it, or a file cannot be moved. With row, the change
    // stands or falls with the transaction open on row: its mark is written
    // there, so the next start-up can tell whether the row was stored.
    void commitTo(const QString& key, const QString& oldKey = QString(), TADOConnection* row = nullptr);
    // Remove only: every record's photo in the folder (each ".bmp" in any
    // letter case) is set aside, as one change that stands or falls with the
    // transaction open on row. The number of files that could not be set
    // aside: they stay.
    int commitAll(TADOConnection& row);
    // The row is stored: the files put aside are deleted and nothing is undone.
    void keep();
    Action action() const { return m_action; }

private:
    // oneFile: the two names are one file, renamed in place.
    void move(const QString& from, const QString& to, bool oneFile = false);

    struct Move { QString from, to; bool oneFile; };
    // The moves, noted first, then the folder synced and the mark written on
    // row. left: a move that fails is counted there and passed over.
    void carryOut(const QList<Move>& plan, TADOConnection* row, int* left = nullptr);
    QString m_folder;
    Action m_action;
    QString m_temp;
    QList<Move> m_moves;   // done, in order
    QStringList m_aside;
    bool m_kept = false;
    std::unique_ptr<TPhotoNote> m_note;
};

class TPhotoBox;

// Writes a record's row and its photo together or not at all: writeRow runs in
// one transaction, the staged photo is moved into place under key (oldKey: the
// record's previous key) and the transaction committed. Any failure leaves the
// rows and the files as they were, and goes on.
void StoreWithPhoto(TADOConnection& cn, TStagedPhoto& staged, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey = QString());
// The same with the photo a window's save stages (TPhotoBox::stage).
void StoreWithPhoto(TADOConnection& cn, const TPhotoBox& photo, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey = QString());

// The next start-up's first step on the photos: each change a save left
// unfinished (the program stopped between its first file and its end) is
// finished when its row was stored, and undone otherwise; a change a running
// copy of the program is making is left alone. Staged and set-aside files no
// change names go. A file that cannot be moved back keeps its note for the
// next start-up. Throws only when the database cannot be read.
void RecoverPhotoChanges(TADOConnection& cn, const QStringList& folders);
// The marks of changes that are over, which the end of start-up deletes
// (none when the table of marks is missing).
QStringList StalePhotoMarks(TADOConnection& cn);
// Makes the table of marks when missing and deletes the stale marks, inside
// the end of start-up's transaction.
void PreparePhotoMarks(TADOConnection& cn, const QStringList& stale);
// A file a photo change works with: a staged or set-aside photo, a change
// note, or a copy a stopped backup or restore left half written; never a
// record's photo, and never copied by a backup.
bool IsPhotoWorkFile(const QString& fileName);
// Called before each write, sync, rename and removal of a photo change's
// files, so that tests can stop the program at any one. Null in the program.
extern void (*PhotoFileStepHook)();

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
    // What a save does with the photo, staged before the record's row is
    // written (see TStagedPhoto): the picture when there is one, the removal
    // when the path box is empty (no earlier file stays attached to the
    // record), the stored file kept otherwise. With a changed key the photo
    // ends up under the new key only.
    std::unique_ptr<TStagedPhoto> stage() const;

private:
    void setPicture(const QImage& image);

    QWidget* m_owner;
    QLabel* m_picture;
    QLineEdit* m_path;
    const QString* m_folder;
    QImage m_image;
};
