#pragma once
// The add-vehicle and add-customer dialogs driven through their real controls,
// with picture files made for each test.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "support/AppFixture.h"
#include "support/Typing.h"
#include "support/WindowProbes.h"
#include "common/AppContext.h"
#include "platform/Form.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "common/UnitPhoto.h"
#include <QImageReader>
#include <QPlainTextEdit>

class NewRecordTest : public AppFixture {
protected:
    QString makePicture(const QString& name, const char* format, QSize size = QSize(37, 23)) { return SavePicture(dir() + name, format, size); }
    // A 5x5 file standing for an earlier record's photo.
    static void makeStalePhoto(const QString& folder, const QString& key) { SavePicture(PhotoFileName(folder, key), "BMP", QSize(5, 5)); }
    // Shows the dialog modally, runs fn inside, closes it if fn left it open.
    int run(TForm* f, std::function<void()> fn) { whenShown(f, [f, fn] { fn(); if (f->isVisible()) f->reject(); }); return f->exec(); }
    Ui::TfrmNewCar* car() { return frmNewCar->ui.get(); }
    Ui::TfrmNewCust* cust() { return frmNewCust->ui.get(); }
    void pickPhoto(QAbstractButton* pick, const QString& file) { openFileAnswers << file; click(pick); }
    static void typeMemo(QPlainTextEdit* m, const QString& text) { m->setFocus(); TypeText(m, text); }
    static void typeCombo(QComboBox* c, const QString& text) { c->lineEdit()->clear(); c->setFocus(); TypeText(c->lineEdit(), text); }
    // "bmp WxH" as the stored file reads back.
    static QString bmpInfo(const QString& file)
    {
        QImageReader r(file);
        return QStringLiteral("%1 %2x%3").arg(QString::fromLatin1(r.format())).arg(r.size().width()).arg(r.size().height());
    }
    QString columns(const QString& table, const QStringList& names) { return RowsText(db(), table, names); }
};
