// The return window: the list of open hires, and the return and
// return-and-settle commands with their checks and transactions.
#include "HireFixture.h"
#include <QApplication>
#include <QClipboard>

namespace {

class ReturnTest : public HireFixture {};

TEST_F(ReturnTest, ListsOpenHiresByPlannedReturnWithOverdueInRed)
{
    standardHire({.car = "京A-1", .planEnd = M(2026, 6, 30, 9)});
    standardHire({.car = "京A-2", .planEnd = M(2026, 6, 15, 11, 59, 59)});   // a second overdue
    standardHire({.car = "京A-3", .planEnd = M(2026, 6, 15, 12, 0, 1)});
    standardHire({.car = "京A-4", .end = M(2026, 5, 2)});
    openReturn([&] {
        TDBGrid* g = frmReturn->ui->DBGrid1;
        auto cell = [&](int r, int col, int role = Qt::DisplayRole) { return g->model()->index(r, col).data(role); };
        ASSERT_EQ(g->model()->rowCount(), 3);
        EXPECT_EQ(QStringList({cell(0, 1).toString(), cell(1, 1).toString(), cell(2, 1).toString()}),
                  QStringList({"京A-2", "京A-3", "京A-1"}));
        EXPECT_EQ(cell(0, 10).toString(), "O'Brien");
        EXPECT_EQ(frmReturn->ui->EdtCarID->text(), "京A-2");   // the first row fills the boxes
        for (int col = 1; col < 12; ++col) {
            EXPECT_EQ(cell(0, col, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red)) << col;
            EXPECT_FALSE(cell(1, col, Qt::ForegroundRole).isValid() || cell(2, col, Qt::ForegroundRole).isValid())
                << col;
        }
        g->grab();
        EXPECT_EQ(g->toolTip(), "红色表示应还车辆");
    });
}

// One hire refused, declined, then returned with a reading; three more returned
// with no reading, the hire-out reading and one above it, the vehicles showing
// 12345: only a reading above the hire's own hire-out reading sets the odometer.
TEST_F(ReturnTest, ReturnAsksThenWritesTheHireAndFreesTheVehicle)
{
    const QString memo = "O'Brien's car -- 100% ok; drop table Leaso";
    const QStringList cars{"沪B'99", "A-empty", "A-equal", "A-up"}, readings{"10800", "", "10000", "10001"};
    QList<qint64> ids;
    for (int i = 0; i < 4; ++i)
        ids << standardHire({.car = cars[i], .planEnd = M(2026, 6, 1 + i), .memo = i == 1 ? "第二辆" : "old"});
    exec("Update Car set Odograph=12345");
    openReturn([&] {
        auto* ui = frmReturn->ui;
        EXPECT_EQ(ui->Memo1->toPlainText(), "old");
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 1, 8, 59));
        click(ui->BtnReturn);
        expectMessage(0, "还车时间不应当早于车辆借出时间！");
        EXPECT_EQ(messages[0].buttons, Dlg::Buttons::OK);
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        clearAndType(ui->EdtOdograph, readings[0]);
        ui->Memo1->setPlainText(memo);
        answers = {Dlg::IdNo};
        click(ui->BtnReturn);
        EXPECT_TRUE(leaso(ids[0], "EndTime").isNull());
        click(ui->BtnReturn);   // the default, Yes
        // Reloaded: the next hire is the first row and the boxes follow it.
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), 3);
        EXPECT_EQ(ui->EdtCarID->text(), "A-empty");
        EXPECT_EQ(ui->Memo1->toPlainText(), "第二辆");
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "160", "610"}));
        for (int i = 1; i < 4; ++i) {
            clearAndType(ui->EdtOdograph, readings[i]);
            click(ui->BtnReturn);
        }
        // The emptied list: no figures, and the commands do nothing.
        EXPECT_EQ(ui->EdtCarID->text() + ui->Memo1->toPlainText(), "");
        EXPECT_EQ(Fee(ui), QStringList({"", "", "", ""}));
        clearAndType(ui->EdtLeaso, "100");
        click(ui->BtnReturn);
        click(ui->BtnReturnCharge);
    });
    ASSERT_EQ(messages.size(), 6u);
    expectMessage(1, "确定要归还车辆 “沪B'99” 吗？");
    EXPECT_EQ(messages[1].buttons, Dlg::Buttons::YesNo);
    EXPECT_EQ(messages[1].defaultButton, Dlg::IdYes);
    EXPECT_EQ(moment(leaso(ids[0], "EndTime")), M(2026, 5, 3, 15));
    EXPECT_EQ(leaso(ids[0], "Memo").toString(), memo);
    EXPECT_TRUE(leaso(ids[0], "ChargeTime").isNull());
    EXPECT_TRUE(leaso(ids[0], "Charge").isNull());
    EXPECT_TRUE(leaso(ids[1], "Odograph2").isNull());
    const QList<qint64> odo2{10800, 0, 10000, 10001}, odometer{10800, 12345, 12345, 10001};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(cars[i].toStdString());
        EXPECT_EQ(leaso(ids[i], "Odograph2").toLongLong(), odo2[i]);
        EXPECT_EQ(car(cars[i], "Odograph").toLongLong(), odometer[i]);
        EXPECT_EQ(car(cars[i], "State").toString(), "A");
    }
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
}

// A return before hire-out, an empty or bad amount and a pasted reading that is
// no number are refused by every command with nothing written; a return at the
// hire-out moment itself is accepted.
TEST_F(ReturnTest, RefusalsComeBeforeAnythingIsWritten)
{
    const qint64 id = standardHire();
    const qint64 returned = returnedHire({.car = "京A-R"});
    const QString early = "还车时间不应当早于车辆借出时间！";
    openCharge([&] {
        auto* ui = frmCharge->ui;
        ui->DtDate->setDate(QDate(2026, 4, 30));
        EXPECT_EQ(Fee(ui), QStringList({"0 天", "", "", ""}));
        clearAndType(ui->EdtLeaso, "600");
        click(ui->Button1);
        expectMessage(0, early);
        expectAmountRefused(frmCharge, ui->EdtLeaso, ui->Memo1, ui->Button1);
        clearAndType(ui->EdtLeaso, "600");
        messages.clear();
        ui->EdtOdograph->setText("10,800");   // pasted; no figures before hire-out
        click(ui->Button1);
        EXPECT_EQ(messageTexts(), QStringList({"“10,800”不是有效的整数，这里只能输入数字，请重新输入！"}));
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 1);
    });
    messages.clear();
    openReturn([&] {
        auto* ui = frmReturn->ui;
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 1, 8, 59));
        clearAndType(ui->EdtLeaso, "300");
        click(ui->BtnReturnCharge);
        expectMessage(0, early);
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        expectAmountRefused(frmReturn, ui->EdtLeaso, ui->Memo1, ui->BtnReturnCharge);
        clearAndType(ui->EdtLeaso, "100");
        messages.clear();
        ui->EdtOdograph->setText("1e5");
        click(ui->BtnReturn);
        click(ui->BtnReturnCharge);
        // The figures refuse it as they are worked out; the commands before anything is written.
        EXPECT_EQ(messageTexts(), QStringList({"“1e5”不是有效的整数", "“1e5”不是有效的整数，这里只能输入数字，请重新输入！",
                                               "“1e5”不是有效的整数，这里只能输入数字，请重新输入！"}));
        EXPECT_TRUE(leaso(id, "EndTime").isNull());
        EXPECT_EQ(car("京A-10001", "State").toString(), "B");
        ui->EdtOdograph->clear();
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 1, 9));
        click(ui->BtnReturn);
    });
    EXPECT_EQ(messages.size(), 4u);   // the last one the confirmation
    EXPECT_EQ(moment(leaso(id, "EndTime")), M(2026, 5, 1, 9));
    EXPECT_TRUE(leaso(id, "Charge").isNull());
    EXPECT_TRUE(leaso(returned, "ChargeTime").isNull());
    EXPECT_EQ(moment(leaso(returned, "EndTime")), M(2026, 5, 3, 15));
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
}

// Pasted text the key filters would refuse when typed (a negative amount or
// reading) is refused in every money and reading box by every command that
// reads it, before anything is written, with the focus on the box.
TEST_F(ReturnTest, PastedNegativesAreRefusedInEveryAmountAndReadingBox)
{
    const qint64 open = standardHire();
    const qint64 returned = returnedHire({.car = "京A-R"});
    struct Case { const char* amount; const char* reading; const char* refused; bool amountBox; };
    const Case cases[] = {{"-300", "10900", "-300", true}, {"300", "-5", "-5", false}, {"3 00", "10900", "3 00", true}};
    auto paste = [](QLineEdit* e, const QString& text) {
        e->clear();
        QApplication::clipboard()->setText(text);
        e->setFocus();
        e->paste();
        if (e->text() != text) e->setText(text);   // a platform without a clipboard
    };
    auto refuse = [&](QWidget* w, QLineEdit* amount, QLineEdit* reading, QWidget* away, QAbstractButton* command) {
        for (const Case& c : cases) {
            if (c.amountBox && command == frmReturn->ui->BtnReturn) continue;   // the plain return takes no amount
            SCOPED_TRACE(std::string(c.refused) + " " + command->objectName().toStdString());
            messages.clear();
            paste(amount, c.amount);
            paste(reading, c.reading);
            away->setFocus();
            click(command);
            ASSERT_FALSE(messages.empty());
            EXPECT_TRUE(lastMessage().startsWith("“" + QString(c.refused) + "”不是有效的")) << lastMessage().toStdString();
            EXPECT_TRUE(lastMessage().contains("这里只能输入数字")) << lastMessage().toStdString();
            EXPECT_EQ(w->focusWidget(), c.amountBox ? amount : reading);
        }
    };
    openCharge([&] {
        refuse(frmCharge, frmCharge->ui->EdtLeaso, frmCharge->ui->EdtOdograph, frmCharge->ui->Memo1, frmCharge->ui->Button1);
    });
    openReturn([&] {
        auto* ui = frmReturn->ui;
        for (QAbstractButton* command : {static_cast<QAbstractButton*>(ui->BtnReturn), static_cast<QAbstractButton*>(ui->BtnReturnCharge)})
            refuse(frmReturn, ui->EdtLeaso, ui->EdtOdograph, ui->Memo1, command);
    });
    for (qint64 id : {open, returned}) EXPECT_TRUE(leaso(id, "ChargeTime").isNull());
    EXPECT_TRUE(leaso(open, "EndTime").isNull());
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
    EXPECT_EQ(car("京A-10001", "State").toString(), "B");
}

// Both commands fail and roll back as a whole: the plain return at the vehicle's
// update, return and settle at the income entry after the hire's and the
// vehicle's updates. Then return and settle goes through with the income entry,
// and (the box unticked, no reading) without it.
TEST_F(ReturnTest, ReturnAndSettleRollsBackOnFailureAndWritesChargeAndIncome)
{
    SetClockHook({});   // the database's own clock: local time
    const qint64 id = standardHire({.car = "粤A'7", .planEnd = M(2020, 1, 1)});
    const qint64 second = standardHire({.car = "粤B-2"});
    exec("Create trigger CarLocked before update on Car begin select raise(abort, 'car locked'); end");
    openReturn([&] {
        auto* ui = frmReturn->ui;
        frmReturn->ADOQry->setRecNo(1);
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        clearAndType(ui->EdtOdograph, "10800");
        click(ui->BtnReturn);
        // Not reloaded: the second hire stays selected.
        EXPECT_EQ(frmReturn->ADOQry->recNo(), 1);
        EXPECT_EQ(ui->EdtCarID->text(), "粤B-2");
        exec("Drop trigger CarLocked");
        exec("Alter table Acct rename to Acct_gone");
        clearAndType(ui->EdtLeaso, "610");
        click(ui->BtnReturnCharge);
        // Reloaded whatever happened: the first row is selected.
        EXPECT_EQ(frmReturn->ADOQry->recordCount(), 2);
        EXPECT_EQ(ui->EdtCarID->text(), "粤A'7");
        for (const char* col : {"EndTime", "Odograph2", "Charge", "ChargeTime"})
            EXPECT_TRUE(leaso(second, col).isNull()) << col;
        EXPECT_EQ(car("粤B-2", "State").toString(), "B");
        EXPECT_EQ(car("粤B-2", "Odograph").toLongLong(), 10000);

        exec("Alter table Acct_gone rename to Acct");
        clearAndType(ui->EdtLeaso, "598.5");
        ASSERT_TRUE(ui->ChkSynchroAcct->isChecked());
        click(ui->BtnReturnCharge);
        EXPECT_EQ(ui->EdtCarID->text(), "粤B-2");
        EXPECT_EQ(ui->EdtLeaso->text(), "598.5");   // kept for the next settlement
        ui->ChkSynchroAcct->setChecked(false);
        clearAndType(ui->EdtOdograph, "");
        clearAndType(ui->EdtLeaso, "610");
        click(ui->BtnReturnCharge);
        EXPECT_EQ(frmReturn->ADOQry->recordCount(), 0);
    });
    ASSERT_EQ(messages.size(), 6u);
    expectMessage(1, "数据库操作失败，本次没有保存任何内容。\ncar locked", Dlg::Icon::Error);
    expectDbError(3, "Acct", Dlg::Icon::None);
    EXPECT_FALSE(db().inTransaction());
    expectSettled(id, Yuan("598.5"), "粤A'7");
    EXPECT_EQ(moment(leaso(id, "EndTime")), M(2026, 5, 3, 15));
    EXPECT_EQ(leaso(id, "Odograph2").toLongLong(), 10800);
    EXPECT_EQ(car("粤A'7", "State").toString(), "A");
    EXPECT_EQ(car("粤A'7", "Odograph").toLongLong(), 10800);
    EXPECT_EQ(money(leaso(second, "Charge")), Currency::fromYuan(610));
    EXPECT_FALSE(leaso(second, "ChargeTime").isNull());
    EXPECT_TRUE(leaso(second, "Odograph2").isNull());
    EXPECT_EQ(car("粤B-2", "State").toString(), "A");
    EXPECT_EQ(car("粤B-2", "Odograph").toLongLong(), 10000);
}

} // namespace
