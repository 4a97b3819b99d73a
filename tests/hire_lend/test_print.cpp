// Hire and print, and the hire sheet: its values, its layout, and the one
// drawing that serves the window, the preview and the printer.
#include "ui_UnitLend.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitPrint.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class PrintFixture : public LendFixture {
protected:
    // A hire made by SQL; returns its key.
    qint64 addHire(const QString& car, const QString& cust, int type, const QDateTime& begin, const QDateTime& plan,
                   int64_t priceRaw, int limit, int64_t additionalRaw, const QVariant& prepay, int odo)
    {
        exec(QStringLiteral("INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, BasicPrice, [Limit],"
                            " AdditionalPrice, Prepay, Odograph1, Memo, CreateTime) VALUES (:car, :cust, :t, :b, :p, :price,"
                            " :lim, :add, :pre, :odo, '', :b)"),
             {{"car", car}, {"cust", cust}, {"t", type}, {"b", begin}, {"p", plan}, {"price", money(priceRaw)},
              {"lim", limit}, {"add", money(additionalRaw)}, {"pre", prepay}, {"odo", odo}});
        return db().lastInsertId();
    }

    QMap<QString, QString> showSheet(qint64 key)
    {
        QMap<QString, QString> v;
        frmPrint->PrintLeasoID = QString::number(key);
        whenShown(frmPrint, [&] {
            for (const auto& l : frmPrint->ui->QuickRep1->Labels())
                if (l->Name.startsWith(QLatin1String("QRlbl"))) v[l->Name] = l->Caption;
            frmPrint->reject();
        });
        frmPrint->showModal();
        return v;
    }
};

TEST_F(PrintFixture, HireAndPrintWithoutPrinterIsRefusedFirst)
{
    addCar(QStringLiteral("京A1"), 8000);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    forbidShown(frmPrint);
    withDesk([&] {
        // Even with every field empty, the printer comes first.
        u()->EdtCustID->clear();
        u()->EdtPrice->clear();
        click(u()->BtnLendPrint);
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        click(u()->BtnLendPrint);
    });
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("本机没有安装打印机！"), QStringLiteral("本机没有安装打印机！")}));
    EXPECT_EQ(hires(), 0);
    EXPECT_EQ(carState(QStringLiteral("京A1")), QStringLiteral("A"));
}

TEST_F(PrintFixture, HireAndPrintOpensTheSheetOnTheNewHire)
{
    printers = {QStringLiteral("办公室打印机")};
    addCar(QStringLiteral("京A1"), 8000);
    addCar(QStringLiteral("京A2"), 9000);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"), QStringLiteral("13900001111"), QStringLiteral("6222"), QStringLiteral("工行"));
    addCust(QStringLiteral("C2"), QStringLiteral("李四"));
    // An older hire, so the new key is not 1.
    addHire(QStringLiteral("旧车"), QStringLiteral("C2"), 0, now, now.addDays(1), 10000, 1, 0, QVariant(), 1);
    withDesk([&] {
        selectCar(QStringLiteral("京A2"));
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"), QStringLiteral("12.50"));
        type(u()->EdtPrepay, QStringLiteral("500.00"));
        QMap<QString, QString> seen;
        whenShown(frmPrint, [&] {
            EXPECT_EQ(frmPrint->windowTitle(), QStringLiteral("打印"));
            seen[QStringLiteral("key")] = frmPrint->PrintLeasoID;
            seen[QStringLiteral("name")] = frmPrint->QRlblCustName->Caption;
            seen[QStringLiteral("car")] = frmPrint->QRlblCard->Caption;
            seen[QStringLiteral("prepay")] = frmPrint->QRlblPrepay->Caption;
            seen[QStringLiteral("price")] = frmPrint->QRlblPrice->Caption;
            click(frmPrint->ui->BtnExit);
        });
        click(u()->BtnLendPrint);
        EXPECT_EQ(seen.value(QStringLiteral("key")), QStringLiteral("2"));
        EXPECT_EQ(seen.value(QStringLiteral("name")), QStringLiteral("张三"));
        EXPECT_EQ(seen.value(QStringLiteral("car")), QStringLiteral("京A2"));
        EXPECT_EQ(seen.value(QStringLiteral("prepay")), QStringLiteral("500"));
        EXPECT_EQ(seen.value(QStringLiteral("price")), QStringLiteral("12.5"));

        // A hire that fails shows no sheet.
        forbidShown(frmPrint);
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        u()->EdtOdograph->clear();
        click(u()->BtnLendPrint);
    });
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("车辆已借出！"), QStringLiteral("“”不是有效的整数")}));
    EXPECT_EQ(hires(), 2);
    EXPECT_EQ(carState(QStringLiteral("京A2")), QStringLiteral("B"));
    EXPECT_EQ(carState(QStringLiteral("京A1")), QStringLiteral("A"));
}

TEST_F(PrintFixture, SheetShowsTheHiresValuesAsText)
{
    addCust(QStringLiteral("110101199001011234"), QStringLiteral("O'Brien"), QStringLiteral("010-8888"),
            QStringLiteral("6222 0200"), QStringLiteral("工商银行"));
    addCust(QStringLiteral("NOCARD"), QStringLiteral("无卡"), QVariant(), QVariant(), QStringLiteral("现金"));
    const QDateTime midnight = CombineDateTime(QDate(2026, 3, 10), QTime(0, 0));
    const QDateTime plan = CombineDateTime(QDate(2026, 3, 12), QTime(18, 30, 5));
    const qint64 a = addHire(QStringLiteral("京A'1"), QStringLiteral("110101199001011234"), 1, midnight, plan,
                             125000, 3000, 8000, money(5000000), 12345);
    const qint64 b = addHire(QStringLiteral("京B2"), QStringLiteral("GONE"), 2, plan, plan.addDays(1), 1500000, 20, 0, QVariant(), 7);
    const qint64 c = addHire(QStringLiteral("京C3"), QStringLiteral("NOCARD"), 0, plan, plan.addDays(1), 1, 0, 0, money(0), 0);
    const qint64 d = addHire(QStringLiteral("京D4"), QStringLiteral("NOCARD"), 5, plan, plan.addDays(1), 1, 0, 0, money(0), 0);

    auto v = showSheet(a);
    EXPECT_EQ(v.value(QStringLiteral("QRlblCustName")), QStringLiteral("O'Brien"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblTel")), QStringLiteral("010-8888"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblCustID")), QStringLiteral("110101199001011234"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblBankCard")), QStringLiteral("6222 0200 工商银行"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblCard")), QStringLiteral("京A'1"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblBeginTime")), QStringLiteral("2026/3/10"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPlanEndTime")), QStringLiteral("2026/3/12 18:30:05"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrepay")), QStringLiteral("500"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblOdograph1")), QStringLiteral("12345"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblLeasoType")), QStringLiteral("包月"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrice")), QStringLiteral("12.5"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblLimit")), QStringLiteral("3000"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblAditional")), QStringLiteral("0.8"));

    // No customer row: the hire's own values stand, the customer's are empty.
    v = showSheet(b);
    EXPECT_EQ(v.value(QStringLiteral("QRlblCustName")), QString());
    EXPECT_EQ(v.value(QStringLiteral("QRlblTel")), QString());
    EXPECT_EQ(v.value(QStringLiteral("QRlblCustID")), QStringLiteral("GONE"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblBankCard")), QStringLiteral(" "));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrepay")), QString());
    EXPECT_EQ(v.value(QStringLiteral("QRlblLeasoType")), QStringLiteral("按小时"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrice")), QStringLiteral("150"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblCard")), QStringLiteral("京B2"));

    v = showSheet(c);
    EXPECT_EQ(v.value(QStringLiteral("QRlblBankCard")), QStringLiteral(" 现金"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblLeasoType")), QStringLiteral("按天"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrepay")), QStringLiteral("0"));
    EXPECT_EQ(v.value(QStringLiteral("QRlblPrice")), QStringLiteral("0.0001"));

    // An unknown unit shows no unit, not the previous sheet's.
    v = showSheet(d);
    EXPECT_EQ(v.value(QStringLiteral("QRlblLeasoType")), QString());

    // A key that finds no hire shows an empty sheet, never the last customer.
    showSheet(a);
    v = showSheet(999);
    ASSERT_EQ(v.size(), 13);
    for (auto it = v.cbegin(); it != v.cend(); ++it) EXPECT_TRUE(it.value().isEmpty()) << it.key().toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(PrintFixture, SheetLayoutKeepsEveryTextInItsPlace)
{
    addCust(QStringLiteral("C1"), QStringLiteral("一个很长很长的客户名称用来检查折行是否保持在框内而不越界"),
            QStringLiteral("13900001111，13900002222，010-88886666 转 123，夜间请拨 13900003333"),
            QStringLiteral("6222 0200 1234 5678 901"), QStringLiteral("工商银行北京分行"));
    const qint64 key = addHire(QStringLiteral("京A88888"), QStringLiteral("C1"), 0,
                               CombineDateTime(QDate(2026, 12, 28), QTime(23, 59, 59)),
                               CombineDateTime(QDate(2027, 1, 31), QTime(12, 0, 1)),
                               99999990000, 99999, 99999999, money(12345678900), 1234567);
    showSheet(key);
    const auto placed = frmPrint->ui->QuickRep1->Arrange();
    ASSERT_EQ(placed.size(), 27);

    const QRectF printable(10, 5, 80, 90);
    QMap<QString, QRectF> boxes;
    for (const auto& p : placed) {
        const TQRLabel* l = p.label;
        boxes[l->Name] = p.box;
        EXPECT_TRUE(printable.contains(p.box)) << l->Name.toStdString();
        if (!l->Caption.isEmpty()) {
            ASSERT_FALSE(p.lines.isEmpty()) << l->Name.toStdString();
        }
        // Every line shown fits the box's width.
        QFont f;
        f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Noto Sans CJK SC")});
        f.setPixelSize(qRound(l->FontSize * 25.4 / 72 * 100));
        for (const QString& s : p.lines)
            if (!l->AutoSize) EXPECT_LE(QFontMetricsF(f).horizontalAdvance(s) / 100, p.box.width() + 0.01) << s.toStdString();
    }
    // A caption ends before its value begins.
    const QList<QPair<const char*, const char*>> pairs = {
        {"QRLabel2", "QRlblCustName"}, {"QRLabel3", "QRlblTel"}, {"QRLabel4", "QRlblCustID"},
        {"QRLabel5", "QRlblBankCard"}, {"QRLabel6", "QRlblCard"}, {"QRLabel7", "QRlblBeginTime"},
        {"QRLabel8", "QRlblPlanEndTime"}, {"QRLabel9", "QRlblPrepay"}, {"QRLabel10", "QRlblOdograph1"},
        {"QRLabel11", "QRlblLeasoType"}, {"QRLabel12", "QRlblPrice"}, {"QRLabel13", "QRlblLimit"},
        {"QRLabel14", "QRlblAditional"}};
    for (const auto& [cap, val] : pairs)
        EXPECT_LT(boxes[QString::fromLatin1(cap)].right(), boxes[QString::fromLatin1(val)].left()) << cap;

    // Values at their places on the detail band (12.9 mm from the paper's top).
    EXPECT_NEAR(boxes[QStringLiteral("QRlblCustID")].left(), 10 + 29.6, 1e-9);
    EXPECT_NEAR(boxes[QStringLiteral("QRlblCustID")].top(), 5 + 7.9 + 15.9, 1e-9);
    EXPECT_NEAR(boxes[QStringLiteral("QRlblAditional")].width(), 29.9, 1e-9);
    EXPECT_NEAR(boxes[QStringLiteral("QRlblCustName")].height(), 4.5, 1e-9);
    // The long telephone grows downward, but not into the row below; the long
    // name keeps its height and shows what fits.
    EXPECT_GT(boxes[QStringLiteral("QRlblTel")].height(), 7.4);
    EXPECT_LE(boxes[QStringLiteral("QRlblTel")].bottom(), boxes[QStringLiteral("QRlblCustID")].top() + 1e-9);
    for (const auto& p : placed) {
        if (p.label->Name == QLatin1String("QRlblTel")) EXPECT_EQ(p.lines.size(), 2);
        if (p.label->Name == QLatin1String("QRlblCustName")) EXPECT_EQ(p.lines.size(), 1);
    }
    // No two texts share any space.
    for (int i = 0; i < placed.size(); ++i)
        for (int j = i + 1; j < placed.size(); ++j)
            EXPECT_FALSE(placed[i].box.intersects(placed[j].box))
                << placed[i].label->Name.toStdString() << " / " << placed[j].label->Name.toStdString();
}

TEST_F(PrintFixture, PreviewAndPrintDrawTheSheetOnA100mmPage)
{
    addCust(QStringLiteral("110101199001011234"), QStringLiteral("O'Brien 王"), QStringLiteral("010-8888"),
            QStringLiteral("6222 0200"), QStringLiteral("工行"));
    const qint64 key = addHire(QStringLiteral("京A-0001"), QStringLiteral("110101199001011234"), 1,
                               CombineDateTime(QDate(2026, 3, 10), QTime(9, 5)),
                               CombineDateTime(QDate(2026, 4, 10), QTime(9, 5)), 30000000, 3000, 8000, money(5000000), 12345);
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

    const QString pdf = dir() + QStringLiteral("sheet.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        lastReport(printer);
    }
    ASSERT_TRUE(QFileInfo::exists(pdf));

    // The preview window's page: one, 100 mm square.
    {
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewWidget preview(&printer);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) { lastReport(*p); });
        preview.resize(500, 500);
        preview.show();
        preview.updatePreview();
        preview.fitInView();
        QApplication::processEvents();
        EXPECT_EQ(preview.pageCount(), 1);
        const QSizeF mm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        EXPECT_NEAR(mm.width(), 100, 0.5);
        EXPECT_NEAR(mm.height(), 100, 0.5);
        const QByteArray keep = qgetenv("LEND_GRAB_DIR");
        if (!keep.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(keep));
            preview.grab().save(QString::fromLocal8Bit(keep) + QStringLiteral("/preview.png"));
        }
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "pdftotext missing";

    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+283(\\.\\d+)? x 283(\\.\\d+)? pts")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\b"))));

    // The drawing's own texts, then what the PDF's text layer gives back.
    QStringList drawn;
    for (const auto& p : frmPrint->ui->QuickRep1->Arrange()) drawn << p.lines.join(QLatin1Char('\n'));
    const QStringList expected = {
        QStringLiteral("车辆出租单"), QStringLiteral("客户名："), QStringLiteral("O'Brien 王"), QStringLiteral("联系电话："),
        QStringLiteral("010-8888"), QStringLiteral("客户证件号："), QStringLiteral("110101199001011234"), QStringLiteral("银行卡："),
        QStringLiteral("6222 0200 工行"), QStringLiteral("车辆："), QStringLiteral("京A-0001"), QStringLiteral("出租时间："),
        QStringLiteral("2026/3/10 9:05:00"), QStringLiteral("计划还车时间："), QStringLiteral("2026/4/10 9:05:00"),
        QStringLiteral("预付费及押金："), QStringLiteral("500"), QStringLiteral("借出时车辆里程："), QStringLiteral("12345"),
        QStringLiteral("租赁方式："), QStringLiteral("包月"), QStringLiteral("租金单价（元）："), QStringLiteral("3000"),
        QStringLiteral("限程："), QStringLiteral("3000"), QStringLiteral("超程基价（元/公里）："), QStringLiteral("0.8")};
    EXPECT_EQ(drawn, expected);

    // The PDF's text layer names a few glyphs that CJK radicals share by the
    // radical's code point, and leaves out the Latin glyphs shaped within a
    // Chinese run (the plate's "-0001"): the picture has them, the text layer not.
    QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
    const QString radicals = QStringLiteral("⻋⼾⾏⼯⾦⾥⽅⽉"), plain = QStringLiteral("车户行工金里方月");
    for (int i = 0; i < radicals.size(); ++i) text.replace(radicals.at(i), plain.at(i));
    for (QString s : expected) {
        if (s == QStringLiteral("京A-0001")) s = QStringLiteral("京A");
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
    }

    // Kept for a look: the PNG of the page (sheet.png beside the PDF).
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("200"),
                                         QStringLiteral("-singlefile"), pdf, dir() + QStringLiteral("sheet")});
        EXPECT_TRUE(QFileInfo::exists(dir() + QStringLiteral("sheet.png")));
        const QByteArray keep = qgetenv("LEND_GRAB_DIR");
        if (!keep.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(keep));
            QFile::remove(QString::fromLocal8Bit(keep) + QStringLiteral("/sheet.png"));
            QFile::copy(dir() + QStringLiteral("sheet.png"), QString::fromLocal8Bit(keep) + QStringLiteral("/sheet.png"));
            QFile::remove(QString::fromLocal8Bit(keep) + QStringLiteral("/sheet.pdf"));
            QFile::copy(pdf, QString::fromLocal8Bit(keep) + QStringLiteral("/sheet.pdf"));
        }
    }
}
