// Hire and print, and the values the hire sheet shows.
#include "ui_UnitLend.h"
#include "ui_UnitPrint.h"
#include "LendFixture.h"

class PrintFixture : public LendFixture {
protected:
    // Shows the sheet of hire key and checks its value labels (named without "QRlbl").
    void expectSheet(qint64 key, const QList<QPair<QString, QString>>& want)
    {
        QMap<QString, QString> v;
        frmPrint->PrintLeasoID = QString::number(key);
        whenShown(frmPrint, [&] {
            for (const auto& l : frmPrint->ui->QuickRep1->Labels())
                if (l->Name.startsWith("QRlbl"_L1)) v[l->Name.mid(5)] = l->Caption;
            frmPrint->reject();
        });
        frmPrint->showModal();
        ASSERT_EQ(v.size(), 13);
        for (const auto& [name, text] : want) EXPECT_EQ(v.value(name), text) << name.toStdString() << " of hire " << key;
    }
};

TEST_F(PrintFixture, HireAndPrintOpensTheSheetOnTheNewHireAndNeedsAPrinter)
{
    printers = {u"办公室打印机"_s};
    addCar(u"京A2"_s, 9000);
    addCust(u"C1"_s, u"张三"_s);
    addHire(u"旧车"_s, u"C1"_s, 0, now, now.addDays(1), 10000, 1, 0, {}, 1);   // so the new key is 2
    withDesk([&] {
        fillHire(u"C1"_s, u"张三"_s);
        whenShown(frmPrint, [&] {
            EXPECT_EQ(frmPrint->PrintLeasoID + frmPrint->QRlblCard->Caption, u"2京A2"_s);
            click(frmPrint->ui->BtnExit);
        });
        click(u()->BtnLendPrint);
        printers.clear();
        click(u()->BtnLendPrint);
    });
    EXPECT_EQ(messageTexts(), QStringList({u"车辆已借出！"_s, u"本机没有安装打印机！"_s}));
    EXPECT_EQ(hires(), 2);
}

TEST_F(PrintFixture, SheetShowsTheHiresValuesAsText)
{
    addCust(u"110101199001011234"_s, u"O'Brien"_s, u"010-8888"_s, u"6222 0200"_s, u"工商银行"_s);
    const QDateTime plan = at(12, 18, 30, 5);
    const qint64 a = addHire(u"京A'1"_s, u"110101199001011234"_s, 1, at(10, 0), plan, 125000, 3000, 8000, money(5000000), 12345);

    // Midnight shows the date alone; amounts without trailing zeros.
    expectSheet(a, {{u"CustName"_s, u"O'Brien"_s}, {u"BankCard"_s, u"6222 0200 工商银行"_s}, {u"Card"_s, u"京A'1"_s},
                    {u"BeginTime"_s, u"2026/3/10"_s}, {u"PlanEndTime"_s, u"2026/3/12 18:30:05"_s}, {u"Prepay"_s, u"500"_s},
                    {u"LeasoType"_s, u"包月"_s}, {u"Price"_s, u"12.5"_s}, {u"Aditional"_s, u"0.8"_s}});
    // A key that finds no hire shows an empty sheet, never the last customer.
    expectSheet(999, {});
    for (const auto& l : frmPrint->ui->QuickRep1->Labels())
        if (l->Name.startsWith("QRlbl"_L1)) EXPECT_TRUE(l->Caption.isEmpty()) << l->Name.toStdString();
    EXPECT_TRUE(messages.empty());
}
