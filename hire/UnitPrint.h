#pragma once
#include "platform/DataSet.h"
#include "platform/Form.h"
#include <QRectF>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

namespace Ui { class TfrmPrint; }
class QPagedPaintDevice;
class QPainter;

// One label of a report: its text at a place on its band, in millimetres.
struct TQRLabel {
    enum Band { TitleBand, DetailBand };
    QString Name;
    QString Caption;
    Band OnBand = DetailBand;
    QRectF Rect;                                  // from the band's top-left; the width is ignored with AutoSize
    Qt::Alignment Alignment = Qt::AlignLeft;
    qreal FontSize = 10;                          // points
    bool AutoSize = false;                        // as wide as its one line of text
    bool AutoStretch = false;                     // grows downward, up to the label beneath it
};

// A one-page report of fixed labels: a title band with a line along its
// bottom edge and a detail band under it. The same drawing serves the screen,
// the preview and the printer.
class TQuickRep : public QWidget {
    Q_OBJECT
public:
    explicit TQuickRep(QWidget* parent = nullptr);

    // The page, in millimetres.
    qreal PageWidth = 100, PageHeight = 100;
    qreal LeftMargin = 10, RightMargin = 10, TopMargin = 5, BottomMargin = 5;
    qreal TitleBandHeight = 7.9, DetailBandHeight = 81.8;

    TQRLabel* AddLabel(const TQRLabel& l);
    const std::vector<std::unique_ptr<TQRLabel>>& Labels() const { return m_labels; }

    // Where a label's text lands on the page (mm from the paper's corner), the
    // lines it shows there and their size. A label that is not sized to its
    // text shows all of it: wrapped, grown into its room, and set smaller when
    // the lines still need more height than that.
    struct Placed { const TQRLabel* label; QRectF box; QStringList lines; qreal fontSize; };
    QVector<Placed> Arrange() const;

    // Draws the page with the paper's corner at the painter's origin.
    void Draw(QPainter& p, qreal devicePixelsPerMm) const;
    // Sets up the device's page (100 x 100 mm, one copy) and draws the report on it.
    void Print(QPagedPaintDevice& device) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // The height a label may take: down to the nearest label beneath it that
    // shares some of its width, or to the bottom of its band.
    qreal RoomBelow(const TQRLabel& l) const;

    std::vector<std::unique_ptr<TQRLabel>> m_labels;
};

// The hire sheet of one hire: the caller sets PrintLeasoID and shows the window.
class TfrmPrint : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget* parent = nullptr);
    ~TfrmPrint() override;

    std::unique_ptr<Ui::TfrmPrint> ui;
    TDataSet* ADOQry;
    QString PrintLeasoID;

    TQRLabel *QRlblCustName, *QRlblTel, *QRlblCustID, *QRlblBankCard, *QRlblCard, *QRlblBeginTime,
        *QRlblPlanEndTime, *QRlblPrepay, *QRlblOdograph1, *QRlblLeasoType, *QRlblPrice, *QRlblLimit,
        *QRlblAditional;

    void BtnPreviewClick();
    void BrnPrintClick();

protected:
    void FormShow() override;

private:
    void FormCreate();
    void BuildSheet();
};

extern TfrmPrint* frmPrint;
