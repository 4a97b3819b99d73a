#pragma once
// The base of every dialog window: Esc presses the cancel button, if the window
// has one, and otherwise does nothing; buttons are not pressed by Enter unless
// the window makes one its default button. Show and close run FormShow and
// FormClose through the handler wrapper.
#include <QDialog>
#include <QPointer>
#include <QPushButton>

class TForm : public QDialog {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);

    // Esc clicks this button.
    void setCancelButton(QPushButton* b) { m_cancel = b; }
    // Enter clicks this button (also from an edit without a key filter).
    void setDefaultButton(QPushButton* b);
    // Esc closes the window (with a Cancel result) although it has no cancel button.
    void setEscapeCloses(bool on) { m_escCloses = on; }

    // Shows the window modally; returns QDialog::Accepted (OK) or Rejected.
    int showModal() { return exec(); }

protected:
    virtual void FormShow() {}
    virtual void FormClose() {}
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void done(int r) override;

private:
    void noAutoDefault();
    QPointer<QPushButton> m_cancel, m_default;
    bool m_escCloses = false;
    bool m_closing = false;
};
