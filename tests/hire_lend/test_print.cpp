// Hire and print, and the hire sheet: its values, its layout, and the one
// drawing that serves the window, the preview and the printer.
#include "ui_UnitLend.h"
#include "ui_UnitPrint.h"
#include "LendFixture.h"
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

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
    addCar(u"京A1"_s, 8000);
    addCar(u"京A2"_s, 9000);
    addCust(u"C1"_s, u"张三"_s);
    addHire(u"旧车"_s, u"C1"_s, 0, now, now.addDays(1), 10000, 1, 0, {}, 1);   // so the new key is 2
    withDesk([&] {
        ASSERT_TRUE(frmLend->ADOQry->locate(u"CarID"_s, u"京A2"_s));
        fillHire(u"C1"_s, u"张三"_s, u"12.50"_s);
        fill({{u()->EdtPrepay, u"500.00"_s}});
        QStringList seen;
        whenShown(frmPrint, [&] {
            seen << frmPrint->PrintLeasoID;
            for (auto* l : {frmPrint->QRlblCustName, frmPrint->QRlblCard, frmPrint->QRlblPrepay, frmPrint->QRlblPrice})
                seen << l->Caption;
            click(frmPrint->ui->BtnExit);
        });
        click(u()->BtnLendPrint);
        EXPECT_EQ(seen, QStringList({u"2"_s, u"张三"_s, u"京A2"_s, u"500"_s, u"12.5"_s}));

        // A hire that fails shows no sheet.
        forbidShown(frmPrint);
        fillHire(u"C1"_s, u"张三"_s);
        u()->EdtOdograph->clear();
        click(u()->BtnLendPrint);
        // Without a printer: refused before any other check, even with the fields empty.
        printers.clear();
        u()->EdtPrice->clear();
        click(u()->BtnLendPrint);
        fillHire(u"C1"_s, u"张三"_s);
        click(u()->BtnLendPrint);
    });
    EXPECT_EQ(messageTexts(),
              QStringList({u"车辆已借出！"_s, u"“”不是有效的整数"_s, u"本机没有安装打印机！"_s, u"本机没有安装打印机！"_s}));
    EXPECT_EQ(hires(), 2);
    EXPECT_EQ(carState(u"京A2"_s), u"B"_s);
    EXPECT_EQ(carState(u"京A1"_s), u"A"_s);
}

TEST_F(PrintFixture, SheetShowsTheHiresValuesAsTextAndKeepsEachInItsPlace)
{
    addCust(u"110101199001011234"_s, u"O'Brien"_s, u"010-8888"_s, u"6222 0200"_s, u"工商银行"_s);
    addCust(u"NOCARD"_s, u"无卡"_s, {}, {}, u"现金"_s);
    const QDateTime plan = at(12, 18, 30, 5);
    const qint64 a = addHire(u"京A'1"_s, u"110101199001011234"_s, 1, at(10, 0), plan, 125000, 3000, 8000, money(5000000), 12345);
    const qint64 b = addHire(u"京B2"_s, u"GONE"_s, 2, plan, plan, 1500000, 20, 0, {}, 7);
    const qint64 c = addHire(u"京C3"_s, u"NOCARD"_s, 0, plan, plan, 1, 0, 0, money(0), 0);
    const qint64 d = addHire(u"京D4"_s, u"NOCARD"_s, 5, plan, plan, 1, 0, 0, money(0), 0);

    // Midnight shows the date alone; amounts without trailing zeros.
    expectSheet(a, {{u"CustName"_s, u"O'Brien"_s}, {u"Tel"_s, u"010-8888"_s}, {u"CustID"_s, u"110101199001011234"_s},
                    {u"BankCard"_s, u"6222 0200 工商银行"_s}, {u"Card"_s, u"京A'1"_s}, {u"BeginTime"_s, u"2026/3/10"_s},
                    {u"PlanEndTime"_s, u"2026/3/12 18:30:05"_s}, {u"Prepay"_s, u"500"_s}, {u"Odograph1"_s, u"12345"_s},
                    {u"LeasoType"_s, u"包月"_s}, {u"Price"_s, u"12.5"_s}, {u"Limit"_s, u"3000"_s}, {u"Aditional"_s, u"0.8"_s}});
    // No customer row: the hire's own values stand, the customer's are empty.
    expectSheet(b, {{u"CustName"_s, {}}, {u"Tel"_s, {}}, {u"CustID"_s, u"GONE"_s}, {u"BankCard"_s, u" "_s},
                    {u"Prepay"_s, {}}, {u"LeasoType"_s, u"按小时"_s}, {u"Price"_s, u"150"_s}, {u"Card"_s, u"京B2"_s}});
    expectSheet(c, {{u"BankCard"_s, u" 现金"_s}, {u"LeasoType"_s, u"按天"_s}, {u"Prepay"_s, u"0"_s}, {u"Price"_s, u"0.0001"_s}});
    // An unknown unit shows no unit, not the previous sheet's.
    expectSheet(d, {{u"LeasoType"_s, {}}});
    // A key that finds no hire shows an empty sheet, never the last customer.
    expectSheet(999, {});
    for (const auto& l : frmPrint->ui->QuickRep1->Labels())
        if (l->Name.startsWith("QRlbl"_L1)) EXPECT_TRUE(l->Caption.isEmpty()) << l->Name.toStdString();
    EXPECT_TRUE(messages.empty());

    // Long texts keep every text in its place.
    addCust(u"C1"_s, u"一个很长很长的客户名称用来检查折行是否保持在框内而不越界"_s,
            u"13900001111，13900002222，010-88886666 转 123，夜间请拨 13900003333"_s,
            u"6222 0200 1234 5678 901"_s, u"工商银行北京分行"_s);
    const qint64 key = addHire(u"京A88888"_s, u"C1"_s, 0, CombineDateTime(QDate(2026, 12, 28), QTime(23, 59, 59)),
                               CombineDateTime(QDate(2027, 1, 31), QTime(12, 0, 1)), 99999990000, 99999, 99999999,
                               money(12345678900), 1234567);
    expectSheet(key, {});
    const auto placed = frmPrint->ui->QuickRep1->Arrange();
    QMap<QString, TQuickRep::Placed> by;
    for (const auto& p : placed) {
        by[p.label->Name] = p;
        EXPECT_TRUE(QRectF(10, 5, 80, 90).contains(p.box)) << p.label->Name.toStdString();
        EXPECT_FALSE(p.lines.isEmpty()) << p.label->Name.toStdString();
        for (const auto& q : placed)
            if (&q != &p)
                EXPECT_FALSE(p.box.intersects(q.box)) << p.label->Name.toStdString() << " / " << q.label->Name.toStdString();
    }
    ASSERT_EQ(by.size(), 27);
    // The long telephone grows downward, but not into the row below; the long
    // name keeps its height and shows what fits.
    EXPECT_EQ(by[u"QRlblTel"_s].lines.size(), 2);
    EXPECT_LE(by[u"QRlblTel"_s].box.bottom(), by[u"QRlblCustID"_s].box.top() + 1e-9);
    EXPECT_EQ(by[u"QRlblCustName"_s].lines.size(), 1);
    EXPECT_NEAR(by[u"QRlblCustName"_s].box.height(), 4.5, 1e-9);
}

TEST_F(PrintFixture, PreviewAndPrintDrawTheSheetOnA100mmPage)
{
    addCust(u"110101199001011234"_s, u"O'Brien 王"_s, u"010-8888"_s, u"6222 0200"_s, u"工行"_s);
    const qint64 key = addHire(u"京A-0001"_s, u"110101199001011234"_s, 1, at(10, 9, 5), at(10, 9, 5).addMonths(1),
                               30000000, 3000, 8000, money(5000000), 12345);
    frmPrint->PrintLeasoID = QString::number(key);
    whenShown(frmPrint, [&] {
        click(frmPrint->ui->BtnPreview);
        click(frmPrint->ui->BrnPrint);
        frmPrint->reject();
    });
    frmPrint->showModal();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(directPrints, 1);
    ASSERT_TRUE(lastReport);

    const QStringList expected = {
        u"车辆出租单"_s, u"客户名："_s, u"O'Brien 王"_s, u"联系电话："_s, u"010-8888"_s, u"客户证件号："_s,
        u"110101199001011234"_s, u"银行卡："_s, u"6222 0200 工行"_s, u"车辆："_s, u"京A-0001"_s, u"出租时间："_s,
        u"2026/3/10 9:05:00"_s, u"计划还车时间："_s, u"2026/4/10 9:05:00"_s, u"预付费及押金："_s, u"500"_s,
        u"借出时车辆里程："_s, u"12345"_s, u"租赁方式："_s, u"包月"_s, u"租金单价（元）："_s, u"3000"_s,
        u"限程："_s, u"3000"_s, u"超程基价（元/公里）："_s, u"0.8"_s};
    QStringList drawn;
    for (const auto& p : frmPrint->ui->QuickRep1->Arrange()) drawn << p.lines.join(QLatin1Char('\n'));
    EXPECT_EQ(drawn, expected);

    const QString pdf = dir() + u"sheet.pdf"_s;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        lastReport(printer);
    }
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty()) GTEST_SKIP() << "pdftotext missing";
    auto run = [](const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        return p.waitForFinished(20000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    };
    const QString info = run(u"pdfinfo"_s, {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(u"Page size:\\s+283(\\.\\d+)? x 283(\\.\\d+)? pts"_s))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(u"Pages:\\s+1\\b"_s)));

    // The PDF's text layer names some CJK glyphs by the radicals that share them,
    // and leaves out Latin glyphs shaped within a Chinese run (the plate's "-0001").
    QString text = run(u"pdftotext"_s, {u"-raw"_s, pdf, u"-"_s});
    const QString radicals = u"⻋⼾⾏⼯⾦⾥⽅⽉"_s, plain = u"车户行工金里方月"_s;
    for (int i = 0; i < radicals.size(); ++i) text.replace(radicals.at(i), plain.at(i));
    for (const QString& s : expected)
        EXPECT_TRUE(text.contains(s == u"京A-0001"_s ? u"京A"_s : s)) << s.toStdString() << "\n" << text.toStdString();
}
