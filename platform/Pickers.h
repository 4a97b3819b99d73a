#pragma once
// Date and time pickers: a date edit with a calendar pop-up and a time edit in
// the fixed regional formats. A moment is the date of one plus the time of the other.
#include <QDateTime>

class QDateEdit;
class QTimeEdit;

void SetupDatePicker(QDateEdit* d);
void SetupTimePicker(QTimeEdit* t);
QDateTime MomentOf(const QDateEdit* d, const QTimeEdit* t);
void SetMoment(QDateEdit* d, QTimeEdit* t, const QDateTime& m);
