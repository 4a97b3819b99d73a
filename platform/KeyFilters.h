#pragma once
// Key filters for edit boxes. Backspace always passes; other keys that type a
// character pass only as the filter allows; navigation keys are untouched.
class QLineEdit;
class QPlainTextEdit;

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
