#pragma once
// The add-vehicle and add-customer dialogs driven through their real controls,
// with picture files made for each test. Sources include the two ui_ headers
// before this one, so the build makes them for the tests.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/Typing.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "platform/Form.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitPhoto.h"
#include <QApplication>
#include <QImageReader>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

class NewRecordTest : public AppFixture {
protected:
    // A picture, top-left quarter red and the rest blue, saved by Qt in the given format
    // (the name is taken in the test's folder unless it is a full path).
    QString makePicture(const QString& name, const char* format, QSize size = QSize(37, 23))
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(QColor(30, 120, 200));
        QPainter(&img).fillRect(0, 0, size.width() / 2, size.height() / 2, QColor(220, 40, 40));
        const QString path = QDir::isAbsolutePath(name) ? name : dir() + name;
        EXPECT_TRUE(img.save(path, format)) << path.toStdString();
        return path;
    }
    // A 5x5 file standing for an earlier record's photo.
    void makeStalePhoto(const QString& folder, const QString& key) { makePicture(PhotoFileName(folder, key), "BMP", QSize(5, 5)); }
    QString makeFile(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        return path;
    }

    // Shows the dialog modally, runs fn inside, closes it if fn left it open.
    int run(TForm* f, std::function<void()> fn)
    {
        whenShown(f, [f, fn] { fn(); if (f->isVisible()) f->reject(); });
        return f->exec();
    }
    Ui::TfrmNewCar* car() { return frmNewCar->ui; }
    Ui::TfrmNewCust* cust() { return frmNewCust->ui; }
    void pickPhoto(QAbstractButton* pick, const QString& file) { openFileAnswers << file; click(pick); }

    static void typeMemo(QPlainTextEdit* m, const QString& text) { m->setFocus(); TypeText(m, text); }
    static void typeCombo(QComboBox* c, const QString& text) { c->lineEdit()->clear(); c->setFocus(); TypeText(c->lineEdit(), text); }
    static void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
    static QString joined(const QStringList& l) { return l.join(QLatin1Char('|')); }

    // "bmp WxH" as the stored file reads back.
    static QString bmpInfo(const QString& file)
    {
        QImageReader r(file);
        return QStringLiteral("%1 %2x%3").arg(QString::fromLatin1(r.format())).arg(r.size().width()).arg(r.size().height());
    }
    static QStringList files(const QString& folder) { return QDir(folder).entryList(QDir::Files); }
    int count(const QString& table) { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }

    // The named columns of the only row of a table whose key is `key`, as display texts.
    QString columns(const QString& table, const QString& keyColumn, const QString& key, const QStringList& names)
    {
        TDataSet ds;
        ds.setConnection(&db());
        ds.setSQL(QStringLiteral("select * from %1 where %2=:k").arg(table, keyColumn));
        ds.setParam(QStringLiteral("k"), key);
        ds.open();
        if (count(table) != 1 || ds.recordCount() != 1) return QStringLiteral("rows: %1").arg(count(table));
        QStringList out;
        for (const QString& n : names) out << (ds.fieldByName(n).isNull() ? QStringLiteral("NULL") : ds.fieldByName(n).asString());
        return joined(out);
    }
};
