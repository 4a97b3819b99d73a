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

// A stored moment shown in a date picker (and the time picker beside it, or
// none). A value the picker cannot show (null, text that is no moment, a
// date outside its range) shows as its text, a null as nullShownAs or blank,
// and stays what a save writes until the user picks a date: a save never
// writes another record's date or one the picker made up.
void ShowStoredMoment(QDateEdit* d, QTimeEdit* t, const QVariant& stored, const QDate& nullShownAs = {});
inline void ShowStoredDate(QDateEdit* d, const QVariant& stored, const QDate& nullShownAs = {})
{
    ShowStoredMoment(d, nullptr, stored, nullShownAs);
}
// True while the picker stands for a stored value it could not show and the
// user has not picked a date: the save leaves that value as it is.
bool KeepsStoredValue(const QDateEdit* d);
// True while the picker keeps a stored value and the user changed the time
// picker beside it: a time without a date, which a save refuses.
bool TimeSetWithoutDate(const QDateEdit* d);
// The moment the pickers stand for: the one picked or shown, or else the
// stored one kept (invalid when that is no moment).
QDateTime PickedOrStoredMoment(const QDateEdit* d, const QTimeEdit* t);
// A picker kept for a stored value becomes an ordinary picker showing date;
// one that keeps nothing is left as it is.
void ForgetStoredValue(QDateEdit* d, const QDate& date);
