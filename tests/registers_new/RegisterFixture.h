#pragma once
// The registers and add dialogs of vehicles and customers driven through their
// real controls, with records, hires and picture files made for each test.
#include "ui_UnitCar.h"
#include "ui_UnitCust.h"
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "support/AppFixture.h"
#include "support/Typing.h"
#include "support/WindowProbes.h"
#include "app/UnitMain.h"
#include "common/AppContext.h"
#include "common/UnitPhoto.h"
#include "registers/UnitCar.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include <QImageReader>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

class RegisterTest : public AppFixture {
protected:
    Ui::TfrmCar* C() { return frmCar->ui.get(); }
    Ui::TfrmCust* U() { return frmCust->ui.get(); }
    Ui::TfrmNewCar* car() { return frmNewCar->ui.get(); }
    Ui::TfrmNewCust* cust() { return frmNewCust->ui.get(); }
    // Shows the dialog modally, runs fn inside, closes it if fn left it open.
    int run(TForm* f, std::function<void()> fn) { whenShown(f, [f, fn] { fn(); if (f->isVisible()) f->reject(); }); return f->exec(); }
    // The vehicle register as the main window opens it.
    void inCars(const std::function<void()>& fn) { inWindow(frmCar, &TfrmMain::BtnCarClick, fn); }

    // A hire; finished ones are returned and settled.
    void addHire(const QString& car, const QString& cust, bool finished = false)
    {
        exec("Insert into Leaso(CarID,CustID,LeasoType,BeginTime,EndTime,ChargeTime) values(:c,:u,0,45000,:e,:e)",
             {{"c", car}, {"u", cust}, {"e", finished ? QVariant(45003.0) : QVariant()}});
    }
    QString makePicture(const QString& name, const char* format, QSize size = QSize(37, 23)) { return SavePicture(dir() + name, format, size); }
    // A stored photo; 5x5 stands for an earlier record's.
    static void storePhoto(const QString& folder, const QString& key, QSize size = QSize(5, 5)) { SavePicture(PhotoFileName(folder, key), "BMP", size); }
    void pickPhoto(QAbstractButton* pick, const QString& file) { openFileAnswers << file; click(pick); }
    static void typeMemo(QPlainTextEdit* m, const QString& text) { m->setFocus(); TypeText(m, text); }
    static void typeCombo(QComboBox* c, const QString& text) { c->lineEdit()->clear(); c->setFocus(); TypeText(c->lineEdit(), text); }
    QString customers() { return RowsText(db(), "Customer", {"CustID", "CardType", "CustName", "Tel", "Address", "Memo", "BankCard", "BankCard_Memo"}); }
    // "bmp WxH" as the stored file reads back.
    static QString bmpInfo(const QString& file)
    {
        QImageReader r(file);
        return QString("%1 %2x%3").arg(r.format()).arg(r.size().width()).arg(r.size().height());
    }
};
