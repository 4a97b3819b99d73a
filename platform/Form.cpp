#include "platform/Form.h"
#include "platform/Handler.h"
#include "platform/Look.h"
#include <QCloseEvent>
#include <QKeyEvent>

TForm::TForm(QWidget* parent) : QDialog(parent)
{
    setModal(true);
}

void TForm::setDefaultButton(QPushButton* b)
{
    m_default = b;
    noAutoDefault();
}

void TForm::noAutoDefault()
{
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(b == m_default);
    }
}

void TForm::showEvent(QShowEvent* e)
{
    noAutoDefault();
    // Placed before the dialog's own placement, which would guess at frames.
    if (!e->spontaneous()) CentreOnOwner(this);
    QDialog::showEvent(e);
    if (!e->spontaneous()) RunGuarded(this, [this] { FormShow(); });
}

void TForm::closeEvent(QCloseEvent* e)
{
    QDialog::closeEvent(e);
}

void TForm::done(int r)
{
    if (!m_closing) {
        m_closing = true;
        RunGuarded(this, [this] { FormClose(); });
        m_closing = false;
    }
    QDialog::done(r);
}

void TForm::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (m_cancel && m_cancel->isEnabled() && m_cancel->isVisible()) m_cancel->click();
        else if (m_escCloses) reject();
        e->accept();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        if (m_default && m_default->isEnabled() && m_default->isVisible()) m_default->click();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
