#pragma once
// The add-vehicle and add-customer dialogs driven through their real
// controls, with photo files made for each test. Each source includes the
// two ui_ headers before this one, so the build makes them for the tests.
#include "support/AppFixture.h"
#include "support/Typing.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "platform/Form.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitPhoto.h"
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

class NewRecordTest : public AppFixture {
protected:
    // A picture with a pattern, saved in the given format (by Qt) in a
    // folder of its own; the full path.
    QString makePicture(const QString& name, const char* format, QSize size = QSize(37, 23))
    {
        QDir().mkpath(dir() + QStringLiteral("pics"));
        QImage img(size, QImage::Format_RGB32);
        img.fill(QColor(30, 120, 200));
        QPainter p(&img);
        p.fillRect(0, 0, size.width() / 2, size.height() / 2, QColor(220, 40, 40));
        p.end();
        const QString path = dir() + QStringLiteral("pics/") + name;
        EXPECT_TRUE(img.save(path, format)) << path.toStdString();
        return path;
    }
    QString makeFile(const QString& name, const QByteArray& content)
    {
        QDir().mkpath(dir() + QStringLiteral("pics"));
        const QString path = dir() + QStringLiteral("pics/") + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    // A file standing in an earlier record's photo.
    void makeStalePhoto(const QString& folder, const QString& key)
    {
        QImage img(5, 5, QImage::Format_RGB32);
        img.fill(Qt::green);
        ASSERT_TRUE(img.save(PhotoFileName(folder, key), "BMP"));
    }

    // Shows the dialog modally, runs fn inside, closes it if fn left it open.
    int run(TForm* f, std::function<void()> fn)
    {
        whenShown(f, [f, fn] {
            fn();
            if (f->isVisible()) f->reject();
        });
        return f->exec();
    }

    Ui::TfrmNewCar* car() { return frmNewCar->ui; }
    Ui::TfrmNewCust* cust() { return frmNewCust->ui; }

    static void typeMemo(QPlainTextEdit* m, const QString& text)
    {
        m->setFocus();
        TypeText(m, text);
    }
    static void typeCombo(QComboBox* c, const QString& text)
    {
        c->lineEdit()->clear();
        c->setFocus();
        TypeText(c->lineEdit(), text);
    }
    static void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }

    // The stored file as read back: its format and size.
    static QByteArray formatOf(const QString& file) { return QImageReader(file).format(); }
    static QSize sizeOf(const QString& file) { return QImageReader(file).size(); }
    static bool exists(const QString& file) { return QFileInfo::exists(file); }

    // One row as a dataset on the program's connection.
    std::unique_ptr<TDataSet> row(const QString& sql, const QString& key)
    {
        auto ds = std::make_unique<TDataSet>();
        ds->setConnection(&db());
        ds->setSQL(sql);
        ds->setParam(QStringLiteral("k"), key);
        ds->open();
        return ds;
    }
    int count(const QString& table) { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }
};
