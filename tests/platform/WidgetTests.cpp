// Key filters and the handler wrapper, driven by real events.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "accounts/UnitAcct.h"
#include "admin/UnitAlert.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include "ui_UnitAcct.h"
#include "ui_UnitAlert.h"
#include "ui_UnitCar.h"
#include "ui_UnitCost.h"
#include "ui_UnitLend.h"
#include "ui_UnitMain.h"
#include "ui_UnitReturn.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "common/UnitPublic.h"
#include "support/Typing.h"
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(KeyFilters, TypedAndInputMethodTextIsFiltered)
{
    struct Row { KeyFilter kind; const char* keys; const char* kept; };
    const Row rows[] = {
        {KeyFilter::Money, "12.3.4a-5", "12.345"}, {KeyFilter::Money, "１2元", "2"},
        {KeyFilter::WholeNumber, "1a2.3 -4", "1234"}, {KeyFilter::AcctAmount, ".12.345", "12.34"},
    };
    for (const Row& r : rows) {
        QLineEdit e;
        InstallKeyFilter(&e, r.kind);
        TypeText(&e, QString::fromUtf8(r.keys));
        EXPECT_EQ(e.text(), QString::fromUtf8(r.kept)) << r.keys;
    }
    QLineEdit e;
    InstallKeyFilter(&e, KeyFilter::WholeNumber);
    QInputMethodEvent bad;
    bad.setCommitString(QStringLiteral("１２公里"));
    QApplication::sendEvent(&e, &bad);
    EXPECT_EQ(e.text(), "");
}

// Pasted and dropped text meets the filter of the box it lands in, in every
// window: a box refuses it whole when the filter would have refused any of
// its characters typed there, and keeps what it held.
class PastedText : public AppFixture {
protected:
    enum class Put { CtrlV, ShiftInsert, Menu, Drop };
    // Puts text into e the way a user does; the clipboard is the real one.
    static void put(QLineEdit* e, const QString& text, Put how)
    {
        if (how == Put::Drop) {
            QMimeData mime;
            mime.setText(text);
            const QPoint end(e->width() - 2, e->height() / 2);   // after the text
            QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(e, &enter);
            QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(e, &drop);
            return;
        }
        QApplication::clipboard()->setText(text);
        if (how == Put::CtrlV) QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        if (how == Put::ShiftInsert) QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
        if (how == Put::Menu) {
            std::unique_ptr<QMenu> menu(e->createStandardContextMenu());
            const QString keys = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
            for (QAction* a : menu->actions())
                if (a->text().endsWith(keys)) a->trigger();
        }
    }
};

TEST_F(PastedText, EveryFilteredBoxRefusesWhatItsFilterRefuses)
{
    using E = QLineEdit* (*)();
    const E costDays = [] { return frmAlert->ui->EdtCostDays; };
    const E birthday = [] { return frmAlert->ui->Edtbirthday; };
    const E feeAmount = [] { return frmCost->ui->EdtCost; };
    const E reading = [] { return frmReturn->ui->EdtOdograph; };
    const E acctAmount = [] { return frmAcct->ui->EdtAmount; };
    const E mileage = [] { return frmCar->ui->EdtCarOdograph; };
    const E allowance = [] { return frmLend->ui->EdtLimit; };
    // before: the box's text, all of it selected, or with "|" the cursor and no selection.
    struct Row { const char* box; E edit; const char* before; const char* text; Put how; const char* after; };
    const Row rows[] = {
        {"alert fee days", costDays, "30", "-5x", Put::CtrlV, "30"},
        {"alert fee days", costDays, "30", "12", Put::CtrlV, "12"},
        {"alert fee days", costDays, "30", "１２", Put::ShiftInsert, "30"},
        {"alert fee days", costDays, "30", "3.5", Put::Menu, "30"},
        {"alert birthday days", birthday, "3|", "1e3", Put::Drop, "3"},
        {"alert birthday days", birthday, "3|", "0", Put::Drop, "30"},
        {"alert birthday days", birthday, "3", " 7", Put::Menu, "3"},
        {"fee item amount", feeAmount, "100", "3.5", Put::Menu, "3.5"},
        {"fee item amount", feeAmount, "100", "1e3", Put::CtrlV, "100"},
        {"fee item amount", feeAmount, "100", "-5", Put::ShiftInsert, "100"},
        {"fee item amount", feeAmount, "1.5|", ".2", Put::CtrlV, "1.5"},
        {"fee item amount", feeAmount, "1.5|", "25", Put::Drop, "1.525"},
        {"return reading", reading, "", "12", Put::CtrlV, "12"},
        {"return reading", reading, "8", "3.5", Put::CtrlV, "8"},
        {"account amount", acctAmount, "12.34", "3.5", Put::CtrlV, "3.5"},
        {"account amount", acctAmount, "12.3|", "45", Put::CtrlV, "12.3"},
        {"account amount", acctAmount, "|", ".5", Put::Drop, ""},
        {"account amount", acctAmount, "-300", "-5x", Put::CtrlV, "-300"},   // shown by the program
        {"account amount", acctAmount, "12|", ".5", Put::Drop, "12.5"},
        {"vehicle mileage", mileage, "5000", "7 ", Put::CtrlV, "5000"},
        {"vehicle mileage", mileage, "5000", "70000", Put::Menu, "70000"},
        {"hire allowance", allowance, "200", "1,000", Put::CtrlV, "200"},
        {"hire allowance", allowance, "200", "300", Put::CtrlV, "300"},
    };
    for (const Row& r : rows) {
        const std::string label = std::string(r.box) + " <- \"" + r.text + "\"";
        QLineEdit* e = r.edit();
        QString before = QString::fromUtf8(r.before);
        const int cursor = before.indexOf(QLatin1Char('|'));
        e->setText(before.remove(QLatin1Char('|')));
        if (cursor >= 0) e->setCursorPosition(cursor);
        else e->selectAll();
        put(e, QString::fromUtf8(r.text), r.how);
        EXPECT_EQ(e->text().toStdString(), r.after) << label;
    }
}

// The fee-item alert's day count: a pasted "-5x" never reaches the settings.
TEST_F(PastedText, ARefusedDayCountIsNotSaved)
{
    whenShown(frmAlert, [&] {
        QLineEdit* days = frmAlert->ui->EdtCostDays;
        days->setFocus();
        days->selectAll();
        put(days, QStringLiteral("-5x"), Put::CtrlV);
        click(frmAlert->ui->BtnOK);
    });
    frmMain->ui->N13->trigger();
    EXPECT_FALSE(frmAlert->isVisible());
    EXPECT_EQ(scalar("Select [Value] from Config where Item='ALERT_CARCOST'").toString().toStdString(), "30");
    EXPECT_TRUE(frmAlert->ui->ChkCostAlert->isChecked());
}

TEST(Handler, AnEscapedErrorShowsTheErrorBoxAndRollsBack)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + QStringLiteral("/Leaso3.mdb");
    EnsureDatabaseFile(file);
    TADOConnection cn;
    cn.open(file);
    SetGuardConnection(&cn);
    std::vector<Dlg::MessageCall> shown;
    Dlg::hooks().message = [&](const Dlg::MessageCall& c) { shown.push_back(c); return int(Dlg::IdOK); };

    QPushButton b;
    On(&b, &QPushButton::clicked, &b, [&] {
        cn.beginTrans();
        cn.execute(QStringLiteral("INSERT INTO Car (CarID) VALUES ('A1')"));
        StrToInt(QStringLiteral("12x"));   // fails half-way
        cn.commitTrans();
    });
    b.click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("“12x”不是有效的整数"));
    EXPECT_EQ(shown[0].caption, "Quorvane");
    EXPECT_EQ(shown[0].icon, Dlg::Icon::Error);
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 0);
    SetGuardConnection(nullptr);
    Dlg::hooks() = Dlg::Hooks{};
}
