// Filtered boxes and the handler wrapper, driven by real events in the
// program's windows.
#include "support/AppFixture.h"
#include "support/Typing.h"
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
#include "ui_UnitReturn.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/Handler.h"
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <gtest/gtest-spi.h>

// Typed, pasted and dropped text meets the filter of the box it lands in, in
// every window: a box refuses pasted text whole when the filter would have
// refused any of its characters typed there, and keeps what it held.
class FilteredBoxes : public AppFixture {
protected:
    enum class Put { Type, InputMethod, CtrlV, ShiftInsert, Menu, Drop };
    // Puts text into e the way a user does; the clipboard is the real one.
    static void put(QLineEdit* e, const QString& text, Put how)
    {
        if (how == Put::Type) return TypeText(e, text);
        if (how == Put::InputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(e, &commit);
            return;
        }
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

TEST_F(FilteredBoxes, EveryFilteredBoxRefusesWhatItsFilterRefuses)
{
    // before: the box's text, all of it selected, or with "|" the cursor and no selection.
    struct Row { QLineEdit* edit; const char* before; const char* text; Put how; const char* after; };
    const Row rows[] = {
        {frmCost->ui->EdtCost, "", "12.3.4a-5", Put::Type, "12.345"},
        {frmCost->ui->EdtCost, "", "１2元", Put::Type, "2"},
        {frmReturn->ui->EdtOdograph, "", "1a2.3 -4", Put::Type, "1234"},
        {frmAcct->ui->EdtAmount, "", ".12.345", Put::Type, "12.34"},
        {frmReturn->ui->EdtOdograph, "", "１２公里", Put::InputMethod, ""},
        {frmAlert->ui->EdtCostDays, "30", "-5x", Put::CtrlV, "30"},
        {frmAlert->ui->EdtCostDays, "30", "12", Put::CtrlV, "12"},
        {frmAlert->ui->EdtCostDays, "30", "１２", Put::ShiftInsert, "30"},
        {frmAlert->ui->EdtCostDays, "30", "3.5", Put::Menu, "30"},
        {frmAlert->ui->Edtbirthday, "3|", "1e3", Put::Drop, "3"},
        {frmAlert->ui->Edtbirthday, "3|", "0", Put::Drop, "30"},
        {frmAlert->ui->Edtbirthday, "3", " 7", Put::Menu, "3"},
        {frmCost->ui->EdtCost, "100", "3.5", Put::Menu, "3.5"},
        {frmCost->ui->EdtCost, "100", "1e3", Put::CtrlV, "100"},
        {frmCost->ui->EdtCost, "100", "-5", Put::ShiftInsert, "100"},
        {frmCost->ui->EdtCost, "1.5|", ".2", Put::CtrlV, "1.5"},
        {frmCost->ui->EdtCost, "1.5|", "25", Put::Drop, "1.525"},
        {frmReturn->ui->EdtOdograph, "", "12", Put::CtrlV, "12"},
        {frmReturn->ui->EdtOdograph, "8", "3.5", Put::CtrlV, "8"},
        {frmAcct->ui->EdtAmount, "12.34", "3.5", Put::CtrlV, "3.5"},
        {frmAcct->ui->EdtAmount, "12.3|", "45", Put::CtrlV, "12.3"},
        {frmAcct->ui->EdtAmount, "|", ".5", Put::Drop, ""},
        {frmAcct->ui->EdtAmount, "-300", "-5x", Put::CtrlV, "-300"},   // shown by the program
        {frmAcct->ui->EdtAmount, "12|", ".5", Put::Drop, "12.5"},
        {frmCar->ui->EdtCarOdograph, "5000", "7 ", Put::CtrlV, "5000"},
        {frmCar->ui->EdtCarOdograph, "5000", "70000", Put::Menu, "70000"},
        {frmLend->ui->EdtLimit, "200", "1,000", Put::CtrlV, "200"},
        {frmLend->ui->EdtLimit, "200", "300", Put::CtrlV, "300"},
    };
    for (const Row& r : rows) {
        QString before = QString::fromUtf8(r.before);
        const int cursor = before.indexOf(QLatin1Char('|'));
        r.edit->setText(before.remove(QLatin1Char('|')));
        if (cursor >= 0) r.edit->setCursorPosition(cursor);
        else r.edit->selectAll();
        put(r.edit, QString::fromUtf8(r.text), r.how);
        EXPECT_EQ(r.edit->text().toStdString(), r.after)
            << r.edit->window()->objectName().toStdString() << "." << r.edit->objectName().toStdString() << " <- " << r.text;
    }
}

// An error that escapes a handler half-way ends in the error box, its
// transaction rolled back: through the handler wrapper or, unguarded, through
// the application's last guard, which also fails the test it fired in.
TEST_F(FilteredBoxes, AnEscapedErrorShowsTheErrorBoxAndRollsBackWhereverItIsCaught)
{
    const auto failHalfWay = [&] {
        db().beginTrans();
        exec(QStringLiteral("INSERT INTO Car (CarID) VALUES ('A1')"));
        StrToInt(QStringLiteral("12x"));
        db().commitTrans();
    };
    QPushButton b;
    On(&b, &QPushButton::clicked, &b, failHalfWay);
    struct Unguarded : QObject {
        std::function<void()> handler;
        bool event(QEvent* e) override { return e->type() == QEvent::User ? (handler(), true) : QObject::event(e); }
    } receiver;
    receiver.handler = failHalfWay;
    for (const bool last : {false, true}) {
        const char* by = last ? "last guard" : "handler wrapper";
        messages.clear();
        if (last) QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        else b.click();
        QCoreApplication::sendPostedEvents(&receiver, QEvent::User);
        EXPECT_EQ(TApplication::lastGuardCount(), last ? 1 : 0) << by;
        ASSERT_EQ(messages.size(), 1u) << by;
        EXPECT_EQ(messages[0].text + messages[0].caption, QStringLiteral("“12x”不是有效的整数Quorvane")) << by;
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error) << by;
        EXPECT_FALSE(db().inTransaction()) << by;
        EXPECT_EQ(scalar("SELECT count(*) FROM Car").toInt(), 0) << by;
    }
    EXPECT_NONFATAL_FAILURE(ExpectLastGuardQuiet(), "caught by the last guard");
    TApplication::resetLastGuardCount();   // let through on purpose here
}
