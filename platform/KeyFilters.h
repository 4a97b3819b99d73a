#pragma once
// Key filters for edit boxes. Backspace always passes; other keys that type a
// character pass only as the filter allows; navigation keys are untouched.
// Pasted or dropped text passes only when each of its characters would have
// passed if typed at that place; otherwise the box keeps what it held.
#include <QString>
#include <initializer_list>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

enum class KeyFilter {
    Money,        // digits and one decimal point
    WholeNumber,  // digits only
    AcctAmount    // money, but no leading point and at most two decimals
};

// enterPasses: whether Enter reaches the edit (it never presses a button).
void InstallKeyFilter(QLineEdit* edit, KeyFilter kind, bool enterPasses = true);

// A memo that holds at most maxChars characters: what is typed or pasted
// beyond that is dropped, as an edit's maximum length does.
void LimitMemoLength(QPlainTextEdit* memo, int maxChars);

// Whether the whole text could have been typed through the filter (surrounding
// blanks aside). Empty text passes.
bool FilterAccepts(KeyFilter kind, const QString& text);

// Checks each edit's text against the filter installed on it, for text that
// came in past the filter (put there by the program and edited around). The
// first edit whose text the filter would have refused when typed ("-300", say)
// gets a notice naming the text and the focus; false then, before anything is
// written.
bool CheckFilteredInput(QWidget* owner, std::initializer_list<QLineEdit*> edits);
