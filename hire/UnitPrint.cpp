#include "hire/UnitPrint.h"
#include "ui_UnitPrint.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

TfrmPrint* frmPrint = nullptr;

namespace {

// Text is laid out in hundredths of a millimetre, so that one layout serves
// every device whatever its resolution.
constexpr qreal kUnits = 100;

QFont ReportFont(qreal points)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(qRound(points * 25.4 / 72 * kUnits));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// The wrapped lines of a text in a box width (mm); all of it when width <= 0.
QStringList WrapLines(const QString& text, const QFont& font, qreal widthMm)
{
    QStringList lines;
    if (text.isEmpty()) return lines;
    QTextLayout layout(text, font);
    QTextOption opt;
    opt.setWrapMode(widthMm > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(opt);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        if (widthMm > 0) line.setLineWidth(widthMm * kUnits);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// Lines are spaced as the report font (Arial) spaces them, whatever font
// stands in for it: the CJK fonts' own spacing is a third wider and would
// not fit the labels' 4.5 mm.
qreal LineHeight(const QFont& font) { return font.pixelSize() * 1.15; }
qreal Baseline(const QFont& font) { return font.pixelSize() * 0.95; }

} // namespace

// ---- TQuickRep ----

TQuickRep::TQuickRep(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize TQuickRep::sizeHint() const { return QSize(378, 378); }

TQRLabel* TQuickRep::AddLabel(const TQRLabel& l)
{
    m_labels.push_back(std::make_unique<TQRLabel>(l));
    update();
    return m_labels.back().get();
}

qreal TQuickRep::RoomBelow(const TQRLabel& l) const
{
    qreal room = (l.OnBand == TQRLabel::TitleBand ? TitleBandHeight : DetailBandHeight) - l.Rect.top();
    for (const auto& o : m_labels) {
        if (o.get() == &l || o->OnBand != l.OnBand || o->Rect.top() <= l.Rect.top()) continue;
        const qreal oRight = o->AutoSize
            ? o->Rect.left() + QFontMetricsF(ReportFont(o->FontSize)).horizontalAdvance(o->Caption) / kUnits
            : o->Rect.right();
        if (o->Rect.left() < l.Rect.right() && oRight > l.Rect.left()) room = std::min(room, o->Rect.top() - l.Rect.top());
    }
    return room;
}

QVector<TQuickRep::Placed> TQuickRep::Arrange() const
{
    // Below this a value is no longer made smaller: text that long is shown whole all the same.
    constexpr qreal kSmallestSize = 1, kSizeStep = 0.25;
    QVector<Placed> out;
    const QPointF titleTop(LeftMargin, TopMargin);
    const QPointF detailTop(LeftMargin, TopMargin + TitleBandHeight);
    for (const auto& l : m_labels) {
        const QPointF origin = (l->OnBand == TQRLabel::TitleBand ? titleTop : detailTop) + l->Rect.topLeft();
        Placed p{l.get(), {}, {}, l->FontSize};
        if (l->AutoSize) {
            const QFont font = ReportFont(l->FontSize);
            p.lines = WrapLines(l->Caption, font, 0);
            qreal w = 0;
            for (const QString& s : p.lines) w = std::max(w, QFontMetricsF(font).horizontalAdvance(s) / kUnits);
            p.box = QRectF(origin, QSizeF(w, l->Rect.height()));
        } else {
            // No line is ever dropped: a long value is set smaller until it fits its place.
            const qreal place = l->AutoStretch ? std::max(l->Rect.height(), RoomBelow(*l)) : l->Rect.height();
            auto height = [&] { return p.lines.size() * LineHeight(ReportFont(p.fontSize)) / kUnits; };
            p.lines = WrapLines(l->Caption, ReportFont(p.fontSize), l->Rect.width());
            while (height() > place + 0.01 && p.fontSize > kSmallestSize) {
                p.fontSize = std::max(kSmallestSize, p.fontSize - kSizeStep);
                p.lines = WrapLines(l->Caption, ReportFont(p.fontSize), l->Rect.width());
            }
            p.box = QRectF(origin, QSizeF(l->Rect.width(), std::max(l->Rect.height(), height())));
        }
        out << p;
    }
    return out;
}

void TQuickRep::Draw(QPainter& p, qreal devicePixelsPerMm) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(devicePixelsPerMm / kUnits, devicePixelsPerMm / kUnits);
    p.fillRect(QRectF(0, 0, PageWidth * kUnits, PageHeight * kUnits), Qt::white);

    // The line along the bottom edge of the title band.
    const qreal bandWidth = PageWidth - LeftMargin - RightMargin - 0.1;
    const qreal lineY = (TopMargin + TitleBandHeight) * kUnits;
    p.setPen(QPen(Qt::black, 0.25 * kUnits));
    p.drawLine(QPointF(LeftMargin * kUnits, lineY), QPointF((LeftMargin + bandWidth) * kUnits, lineY));

    p.setPen(Qt::black);
    for (const Placed& pl : Arrange()) {
        const QFont font = ReportFont(pl.fontSize);
        p.setFont(font);
        const QFontMetricsF fm(font);
        const qreal lh = LineHeight(font);
        const QRectF box(pl.box.x() * kUnits, pl.box.y() * kUnits, pl.box.width() * kUnits, pl.box.height() * kUnits);
        for (int i = 0; i < pl.lines.size(); ++i) {
            const QString& s = pl.lines[i];
            qreal x = box.left();
            if (pl.label->Alignment & Qt::AlignHCenter) x += (box.width() - fm.horizontalAdvance(s)) / 2;
            else if (pl.label->Alignment & Qt::AlignRight) x = box.right() - fm.horizontalAdvance(s);
            p.drawText(QPointF(x, box.top() + i * lh + Baseline(font)), s);
        }
    }
    p.restore();
}

void TQuickRep::Print(QPagedPaintDevice& device) const
{
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setFullPage(true);
        printer->setCopyCount(1);
    }
    device.setPageLayout(QPageLayout(QPageSize(QSizeF(PageWidth, PageHeight), QPageSize::Millimeter, QStringLiteral("车辆出租单")),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter p(&device);
    Draw(p, device.logicalDpiX() / 25.4);
}

void TQuickRep::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    Draw(p, qreal(width()) / PageWidth);
    p.setPen(QColor(0xb0, 0xb0, 0xb0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- TfrmPrint ----

TfrmPrint::TfrmPrint(QWidget* parent) : TForm(parent), ui(new Ui::TfrmPrint)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(381, 450)));
    ADOQry = new TDataSet(this);
    BuildSheet();

    On(ui->BtnPreview, &QPushButton::clicked, this, [this] { BtnPreviewClick(); });
    On(ui->BrnPrint, &QPushButton::clicked, this, [this] { BrnPrintClick(); });
    connect(ui->BtnExit, &QPushButton::clicked, this, &QDialog::reject);

    RunGuarded(this, [this] { FormCreate(); });
}

TfrmPrint::~TfrmPrint() = default;

void TfrmPrint::BuildSheet()
{
    TQuickRep* rep = ui->QuickRep1;
    rep->AddLabel({QStringLiteral("QRLabel1"), QStringLiteral("车辆出租单"), TQRLabel::TitleBand,
                   QRectF(2.1, 2.1, 74.3, 4.5), Qt::AlignLeft, 10, false, false});

    struct Row { const char* caption; qreal captionTop; TQRLabel** value; const char* name; qreal left, top, width; bool centred; };
    const Row rows[] = {
        {"客户名：", 1.1, &QRlblCustName, "QRlblCustName", 21.2, 1.1, 57.4, false},
        {"联系电话：", 8.5, &QRlblTel, "QRlblTel", 24.6, 6.9, 54.5, false},
        {"客户证件号：", 15.9, &QRlblCustID, "QRlblCustID", 29.6, 15.9, 48.9, false},
        {"银行卡：", 22.5, &QRlblBankCard, "QRlblBankCard", 21.2, 22.5, 57.4, false},
        {"车辆：", 28.8, &QRlblCard, "QRlblCard", 21.2, 28.8, 57.4, false},
        {"出租时间：", 35.2, &QRlblBeginTime, "QRlblBeginTime", 25.4, 35.2, 53.2, false},
        {"计划还车时间：", 41.5, &QRlblPlanEndTime, "QRlblPlanEndTime", 33.9, 41.5, 44.7, false},
        {"预付费及押金：", 47.9, &QRlblPrepay, "QRlblPrepay", 33.9, 47.9, 44.7, true},
        {"借出时车辆里程：", 54.2, &QRlblOdograph1, "QRlblOdograph1", 38.1, 54.2, 40.5, false},
        {"租赁方式：", 60.6, &QRlblLeasoType, "QRlblLeasoType", 25.4, 60.6, 53.2, false},
        {"租金单价（元）：", 66.7, &QRlblPrice, "QRlblPrice", 38.1, 66.9, 40.5, true},
        {"限程：", 72.0, &QRlblLimit, "QRlblLimit", 19.1, 72.0, 59.5, false},
        {"超程基价（元/公里）：", 77.3, &QRlblAditional, "QRlblAditional", 48.7, 77.3, 29.9, true},
    };
    int n = 2;
    for (const Row& r : rows) {
        rep->AddLabel({QStringLiteral("QRLabel%1").arg(n++), QString::fromUtf8(r.caption), TQRLabel::DetailBand,
                       QRectF(2.1, r.captionTop, 0, 4.5), Qt::AlignLeft, 10, true, false});
        // Every value may grow down to the row beneath it, so that a long one
        // keeps a readable size; the telephone has a taller place and smaller type.
        const bool tel = r.value == &QRlblTel;
        *r.value = rep->AddLabel({QString::fromLatin1(r.name), QString(), TQRLabel::DetailBand,
                                  QRectF(r.left, r.top, r.width, tel ? 7.4 : 4.5),
                                  r.centred ? Qt::AlignHCenter : Qt::AlignLeft, tel ? 9.0 : 10.0, false, true});
    }
}

void TfrmPrint::FormCreate()
{
    ADOQry->setConnection(&AppConnection());
}

void TfrmPrint::FormShow()
{
    // Every value is emptied first: a key that finds no hire shows an empty
    // sheet, never the previous hire's customer.
    for (TQRLabel* l : {QRlblCustID, QRlblTel, QRlblCustName, QRlblBankCard, QRlblCard, QRlblBeginTime,
                        QRlblPlanEndTime, QRlblPrepay, QRlblOdograph1, QRlblLeasoType, QRlblPrice, QRlblLimit,
                        QRlblAditional})
        l->Caption.clear();
    ui->QuickRep1->update();

    ADOQry->setSQL(QStringLiteral("Select leaso.*,CustName,Tel,BankCard,BankCard_Memo from Leaso left join customer "
                                  "on Leaso.custID=Customer.CustID where LeasoID=:LeasoID"));
    ADOQry->setParam(QStringLiteral("LeasoID"), qint64(StrToInt64(PrintLeasoID)));
    ADOQry->open();
    ADOQry->first();
    if (!ADOQry->isEmpty()) {
        auto text = [this](const char* field) { return ADOQry->fieldByName(QString::fromLatin1(field)).asString(); };
        QRlblCustID->Caption = text("CustID");
        QRlblTel->Caption = text("Tel");
        QRlblCustName->Caption = text("CustName");
        QRlblBankCard->Caption = text("BankCard") + QLatin1Char(' ') + text("BankCard_Memo");
        QRlblCard->Caption = text("CarID");
        QRlblBeginTime->Caption = text("BeginTime");
        QRlblPlanEndTime->Caption = text("PlanEndTime");
        QRlblPrepay->Caption = text("Prepay");
        QRlblOdograph1->Caption = text("Odograph1");
        const TField type = ADOQry->fieldByName(QStringLiteral("LeasoType"));
        if (!type.isNull()) {
            if (const PricingUnit* u = PricingUnitByCode(type.asInteger())) QRlblLeasoType->Caption = u->text;
        }
        QRlblPrice->Caption = text("BasicPrice");
        QRlblLimit->Caption = text("Limit");
        QRlblAditional->Caption = text("AdditionalPrice");
    }
    ADOQry->close();
    ui->QuickRep1->update();
}

void TfrmPrint::BtnPreviewClick()
{
    Dlg::PrintPreview(this, QStringLiteral("车辆出租单"), [this](QPrinter& printer) { ui->QuickRep1->Print(printer); });
}

void TfrmPrint::BrnPrintClick()
{
    Dlg::PrintDirect(QStringLiteral("车辆出租单"), [this](QPrinter& printer) { ui->QuickRep1->Print(printer); });
}
