#include "platform/KeyFilters.h"
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QRegularExpression>
#include "platform/Dialogs.h"

namespace {

class KeyFilterObject : public QObject {
public:
    KeyFilterObject(QLineEdit* edit, KeyFilter kind, bool enterPasses)
        : QObject(edit), m_edit(edit), m_kind(kind), m_enterPasses(enterPasses) {}

    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        if (obj != m_edit) return false;
        if (ev->type() == QEvent::InputMethod) {
            // Text from an input method passes the same test as typed keys.
            auto* ie = static_cast<QInputMethodEvent*>(ev);
            for (const QChar c : ie->commitString())
                if (!accepts(c)) return true;
            return false;
        }
        if (ev->type() != QEvent::KeyPress) return false;
        auto* ke = static_cast<QKeyEvent*>(ev);
        const int key = ke->key();
        if (key == Qt::Key_Backspace) return false;
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter never presses a dialog button from an edit.
            if (m_enterPasses) { emit m_edit->returnPressed(); }
            return true;
        }
        if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        const QString text = ke->text();
        if (text.isEmpty() || !text.at(0).isPrint()) return false;   // navigation, Delete, Tab...
        return !accepts(text.at(0));
    }

private:
    bool accepts(QChar c) const
    {
        const QString t = m_edit->text();
        if (m_kind == KeyFilter::AcctAmount) {
            const int dot = t.indexOf(QLatin1Char('.'));
            if (dot >= 0 && t.size() - dot - 1 >= 2 && !m_edit->hasSelectedText()) return false;
            if (c == QLatin1Char('.')) return !t.isEmpty() && dot < 0;
            return c.isDigit() && c.unicode() < 128;
        }
        if (c.isDigit() && c.unicode() < 128) return true;
        if (m_kind == KeyFilter::Money && c == QLatin1Char('.')) {
            // One decimal point; a selected one may be typed over.
            return !t.contains(QLatin1Char('.')) || m_edit->selectedText().contains(QLatin1Char('.'));
        }
        return false;
    }

    QLineEdit* m_edit;
    KeyFilter m_kind;
    bool m_enterPasses;
};

const char* const kFilterProperty = "leasoKeyFilter";

} // namespace

void InstallKeyFilter(QLineEdit* edit, KeyFilter kind, bool enterPasses)
{
    edit->installEventFilter(new KeyFilterObject(edit, kind, enterPasses));
    edit->setProperty(kFilterProperty, int(kind));
}

bool FilterAccepts(KeyFilter kind, const QString& text)
{
    static const QRegularExpression money(QStringLiteral("^[0-9]*\\.?[0-9]*$"));
    static const QRegularExpression whole(QStringLiteral("^[0-9]*$"));
    static const QRegularExpression acct(QStringLiteral("^([0-9]+(\\.[0-9]{0,2})?)?$"));
    const QString t = text.trimmed();
    switch (kind) {
    case KeyFilter::Money: return money.match(t).hasMatch();
    case KeyFilter::WholeNumber: return whole.match(t).hasMatch();
    case KeyFilter::AcctAmount: return acct.match(t).hasMatch();
    }
    return false;
}

bool CheckFilteredInput(QWidget* owner, std::initializer_list<QLineEdit*> edits)
{
    for (QLineEdit* e : edits) {
        const QVariant k = e->property(kFilterProperty);
        if (!k.isValid()) continue;
        const auto kind = KeyFilter(k.toInt());
        if (FilterAccepts(kind, e->text())) continue;
        const QString shown = QStringLiteral("“%1”").arg(e->text());
        switch (kind) {
        case KeyFilter::Money:
            Dlg::Notice(owner, shown + QStringLiteral("不是有效的金额或数值，这里只能输入数字和小数点，请重新输入！"));
            break;
        case KeyFilter::WholeNumber:
            Dlg::Notice(owner, shown + QStringLiteral("不是有效的整数，这里只能输入数字，请重新输入！"));
            break;
        case KeyFilter::AcctAmount:
            Dlg::Notice(owner, shown + QStringLiteral("不是有效的金额，这里只能输入数字和小数点（最多两位小数），请重新输入！"));
            break;
        }
        e->setFocus();
        return false;
    }
    return true;
}

void LimitMemoLength(QPlainTextEdit* memo, int maxChars)
{
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxChars] {
        const int excess = memo->toPlainText().size() - maxChars;
        if (excess <= 0) return;
        // What was just typed or pasted ends at the cursor; text set by the
        // program (cursor at the start) loses its tail instead.
        QTextCursor c = memo->textCursor();
        const int pos = c.position();
        const int from = pos >= excess ? pos - excess : maxChars;
        c.setPosition(from);
        c.setPosition(from + excess, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        memo->setTextCursor(c);
    });
}
