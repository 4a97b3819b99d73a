#include "platform/KeyFilters.h"
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QRegularExpression>
#include <QValidator>
#include "platform/Dialogs.h"

namespace {

// Whether the filter lets character c be typed into text t whose selected part
// (typed over) is selected.
bool KeyPasses(KeyFilter kind, const QString& t, const QString& selected, QChar c)
{
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    switch (kind) {
    case KeyFilter::AcctAmount: {
        const int dot = t.indexOf(QLatin1Char('.'));
        if (dot >= 0 && t.size() - dot - 1 >= 2 && selected.isEmpty()) return false;
        if (c == QLatin1Char('.')) return !t.isEmpty() && dot < 0;
        return digit;
    }
    case KeyFilter::Money:
        // One decimal point; a selected one may be typed over.
        if (c == QLatin1Char('.')) return !t.contains(QLatin1Char('.')) || selected.contains(QLatin1Char('.'));
        return digit;
    case KeyFilter::WholeNumber:
        return digit;
    }
    return false;
}

// Whether typing the characters of typed one by one at position at, the first
// over the removed characters there, passes the filter key by key.
bool TypingPasses(KeyFilter kind, QString t, int at, int removed, const QString& typed)
{
    QString selected = t.mid(at, removed);
    for (const QChar c : typed) {
        if (!KeyPasses(kind, t, selected, c)) return false;
        t.replace(at++, selected.size(), c);
        selected.clear();
    }
    return true;
}

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
            return !TypingPasses(m_kind, m_edit->text(), m_edit->selectionStart(),
                                 m_edit->selectedText().size(), ie->commitString());
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
        return !KeyPasses(m_kind, m_edit->text(), m_edit->selectedText(), text.at(0));
    }

private:
    QLineEdit* m_edit;
    KeyFilter m_kind;
    bool m_enterPasses;
};

// Text that reaches the edit by other ways than a key (Ctrl+V, Shift+Insert,
// the context menu, the middle button, a drop) meets the same test: the edit
// compares its new text with the one before, and the inserted characters must
// pass as if typed there; otherwise the edit keeps the text it had.
class InsertGuard : public QValidator {
public:
    InsertGuard(QLineEdit* edit, KeyFilter kind) : QValidator(edit), m_edit(edit), m_kind(kind), m_before(edit->text())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { m_before = t; });
    }

    State validate(QString& input, int&) const override
    {
        // Text put in by the program (setText clears the edit's modified
        // state) is the program's business, not the user's.
        if (!m_edit->isModified()) return Acceptable;
        const QString& b = m_before;
        int head = 0;
        while (head < b.size() && head < input.size() && b[head] == input[head]) ++head;
        int tail = 0;
        while (tail < b.size() - head && tail < input.size() - head
               && b[b.size() - 1 - tail] == input[input.size() - 1 - tail])
            ++tail;
        const QString inserted = input.mid(head, input.size() - head - tail);
        return TypingPasses(m_kind, b, head, b.size() - head - tail, inserted) ? Acceptable : Invalid;
    }

private:
    QLineEdit* m_edit;
    KeyFilter m_kind;
    QString m_before;
};

const char* const kFilterProperty = "leasoKeyFilter";

} // namespace

void InstallKeyFilter(QLineEdit* edit, KeyFilter kind, bool enterPasses)
{
    edit->installEventFilter(new KeyFilterObject(edit, kind, enterPasses));
    edit->setValidator(new InsertGuard(edit, kind));
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
