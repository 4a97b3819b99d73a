// Hire and print, and the values the hire sheet shows.
#include "ui_UnitPrint.h"
#include "LendFixture.h"
#include <QPaintEngine>
#include <QPainter>

namespace {

// Records every run of text drawn on it, with its font and where it lands,
// one device pixel being one hundredth of a millimetre.
class TextRecorder : public QPaintDevice, QPaintEngine {
public:
    struct Run { QString text; QRectF ink; qreal pixelSize; };
    QList<Run> runs;
    TextRecorder() : QPaintEngine(AllFeatures) {}
    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: case PdmHeight: return 10000;
        case PdmWidthMM: case PdmHeightMM: return 100;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 2540;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 1;
        }
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& t) override
    {
        const QRectF ink = QFontMetricsF(t.font()).tightBoundingRect(t.text()).translated(p);
        runs << Run{t.text(), painter()->transform().mapRect(ink), qreal(t.font().pixelSize())};
    }
    Type type() const override { return User; }
};

} // namespace

class PrintFixture : public LendFixture {
protected:
    // Shows the sheet of hire key; fn runs while it shows.
    void showSheet(qint64 key, const std::function<void()>& fn)
    {
        frmPrint->PrintLeasoID = QString::number(key);
        whenShown(frmPrint, [&] { fn(); frmPrint->reject(); });
        frmPrint->showModal();
    }
    // The sheet's value labels, named without "QRlbl".
    QMap<QString, QString> sheet(qint64 key)
    {
        QMap<QString, QString> v;
        showSheet(key, [&] {
            for (const auto& l : frmPrint->ui->QuickRep1->Labels())
                if (l->Name.startsWith("QRlbl"_L1)) v[l->Name.mid(5)] = l->Caption;
        });
        return v;
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
    const qint64 a = addHire(u"京A'1"_s, u"110101199001011234"_s, 1, at(10, 0), at(12, 18, 30, 5), 125000, 3000, 8000, money(5000000), 12345);

    // Midnight shows the date alone; amounts without trailing zeros.
    const QMap<QString, QString> v = sheet(a);
    ASSERT_EQ(v.size(), 13);
    for (const auto& [name, text] : {std::pair{"CustName", u"O'Brien"_s}, {"BankCard", u"6222 0200 工商银行"_s}, {"Card", u"京A'1"_s},
                                     {"BeginTime", u"2026/3/10"_s}, {"PlanEndTime", u"2026/3/12 18:30:05"_s}, {"Prepay", u"500"_s},
                                     {"LeasoType", u"包月"_s}, {"Price", u"12.5"_s}, {"Aditional", u"0.8"_s}})
        EXPECT_EQ(v.value(QString::fromLatin1(name)), text) << name;
    // A key that finds no hire shows an empty sheet, never the last customer.
    EXPECT_EQ(sheet(999).values().join(u'|'), u"||||||||||||"_s);
    EXPECT_TRUE(messages.empty());
}

// However long a value, the sheet prints all of it, inside the page's margins
// and clear of every other text; values that fit keep the sheet's own sizes.
TEST_F(PrintFixture, EveryValueIsPrintedWholeInsideThePageAndOverlapsNothing)
{
    const QString tel = u"紧急联系人王建国手机13800138000，办公室010-88886666转分机1234，"_s.repeated(3).left(150);
    const struct { const char* name; QString custName, tel, custID, card, memo, car; bool designSizes; } cases[] = {
        {"short values", u"张三"_s, u"010-8888"_s, u"110101199001011234"_s, u"6222"_s, u"工行"_s, u"京A1"_s, true},
        {"long values", u"欧阳"_s + u"长名字"_s.repeated(16), tel, u"P1234567890"_s.repeated(5).left(50),
         u"6222020012345678901"_s, u"工商银行北京分行营业部"_s.repeated(10).left(100), u"京A"_s + u"1234567890"_s.repeated(5).left(48), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec(u"DELETE FROM Customer"_s);
        addCust(c.custID, c.custName, c.tel, c.card, c.memo);
        TextRecorder rec;
        showSheet(addHire(c.car, c.custID, 0, at(10, 8), at(12, 8), 15000, 200, 8000, money(5000000), 1234), [&] {
            QPainter p(&rec);
            frmPrint->ui->QuickRep1->Draw(p, 100);
        });

        QString drawn;   // all text in drawing order, blanks left out (a wrap may fall on one)
        for (const auto& r : rec.runs) drawn += QString(r.text).remove(u' ');
        for (const QString& v : {c.custName, c.tel, c.custID, QString(c.card + c.memo), c.car})
            EXPECT_TRUE(drawn.contains(v)) << "not drawn whole: " << v.toStdString();
        const QRectF printable(1000, 500, 8000, 9000);   // 10 mm left and right, 5 mm top and bottom
        for (int i = 0; i < rec.runs.size(); ++i) {
            const auto& r = rec.runs[i];
            EXPECT_TRUE(printable.contains(r.ink)) << r.text.toStdString() << " off the page";
            for (int j = i + 1; j < rec.runs.size(); ++j)
                EXPECT_FALSE(r.ink.intersects(rec.runs[j].ink)) << r.text.toStdString() << " over " << rec.runs[j].text.toStdString();
            // 9 or 10 points in the recorder's pixels
            if (c.designSizes) EXPECT_EQ(r.pixelSize, qRound((r.text == c.tel ? 9 : 10) * 25.4 / 72 * 100)) << r.text.toStdString();
        }
    }
}
