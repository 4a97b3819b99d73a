#include "platform/Pickers.h"
#include "platform/Moment.h"
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLocale>
#include <QTimeEdit>

void SetupDatePicker(QDateEdit* d)
{
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/M/d"));
    d->setMinimumDate(QDate(1900, 1, 1));
    d->setMaximumDate(QDate(9999, 12, 31));
    d->calendarWidget()->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    d->calendarWidget()->setFirstDayOfWeek(Qt::Sunday);
}

void SetupTimePicker(QTimeEdit* t)
{
    t->setDisplayFormat(QStringLiteral("H:mm:ss"));
}

QDateTime MomentOf(const QDateEdit* d, const QTimeEdit* t)
{
    return CombineDateTime(d->date(), t->time());
}

void SetMoment(QDateEdit* d, QTimeEdit* t, const QDateTime& m)
{
    d->setDate(m.date());
    t->setTime(m.time());
}
