#pragma once
#include <memory>
#include "common/AppContext.h"
#include "platform/Connection.h"
#include "platform/DataSet.h"
#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace Ui { class TfrmMain; }
class TForm;
class QLabel;

// The main window: owns the one connection, does the start-up work, and opens
// every register and business window modally.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // False when the start-up work failed (the database could not be opened
    // or read); the error has been shown and the program must end.
    bool started() const { return m_started; }
    // True once any step of start-up failed, the first show included.
    bool startFailed() const { return m_startFailed; }

    // Runs a step of start-up. Any error ends start-up: an engine error names
    // the file as the opening check does, and the connection is closed with
    // the file as it was. False when the step failed (its box has been shown).
    bool RunStartupStep(QWidget* owner, const std::function<void()>& step);

    // First show: login when a password is set, then the alert build. Runs once.
    void FormShow();
    // Builds the alert list and starts or stops the alert strip.
    void GetAlertMessages();

    // Commands.
    void BtnCarClick();
    void BtnNewCarClick();
    void ToolButton10Click();
    void BtnLendClick();
    void BtnReturnClick();
    void BtnChargeClick();
    void BtnCustClick();
    void BtnReportClick();
    void ToolButton7Click();
    void BtnHelpClick();
    void ToolButton14Click();
    void N4Click();
    void N8Click();
    void N9Click();
    void N2Click();
    void N6Click();
    void N13Click();
    void N11Click();
    void lblHomepageClick();
    void lblEmailClick();
    void lblAlert1MouseEnter();
    void lblAlert1MouseLeave();
    // One step of the alert strip.
    void Timer1Timer();

    std::unique_ptr<Ui::TfrmMain> ui;
    TADOConnection ADOCn;
    TDataSet* ADOQry;
    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    void FormCreate();
    void FormClose();
    void FormResize();
    // The system name on the banner, elided to the banner's width.
    void setBanner(const QString& name);
    void showBanner();
    // The four ways the alert timer is handled around a modal window.
    int showPaused(TForm* f);
    int showRebuilt(TForm* f);
    int showLeftRunning(TForm* f);
    void setTimerState(bool on);
    // The backup dialog opened on one of its pages.
    void showBackup(int page);
    // The alert strip: stopped with nothing to show, its labels sized to their text.
    void stopAlertStrip();
    static void setAlertText(QLabel* label, const QString& text);
    const QString& nextAlertText();

    bool m_started = false;
    bool m_startFailed = false;
    bool m_firstShowDone = false;
    bool m_schemaAdded = false;   // the end of start-up wrote what the file lacked
    QString m_bannerText;
};

extern TfrmMain* frmMain;
extern QStringList AlertMessages;
extern int AlertIndex;
