#pragma once
// Date and time pickers: a date edit with a calendar pop-up and a time edit in
// the fixed regional formats. A moment is the date of one plus the time of the other.
#include <QDateTime>

class QCalendarWidget;
class QDateEdit;
class QTimeEdit;

// The calendar pop-up is made on first use (a press or a key on the picker).
void SetupDatePicker(QDateEdit* d);
// The picker's calendar, made now when it is not made yet, in the picker's set-up.
QCalendarWidget* PickerCalendar(QDateEdit* d);
void SetupTimePicker(QTimeEdit* t);
QDateTime MomentOf(const QDateEdit* d, const QTimeEdit* t);
void SetMoment(QDateEdit* d, QTimeEdit* t, const QDateTime& m);
