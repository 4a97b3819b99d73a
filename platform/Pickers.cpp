#include "platform/Pickers.h"
#include "platform/Moment.h"
#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QLocale>
#include <QTimeEdit>

namespace {

void setUpCalendar(QCalendarWidget* c)
{
    c->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    c->setFirstDayOfWeek(Qt::Sunday);
}

// The calendar pop-up takes a while to build, and a window may have several
// pickers: it is made when the user first presses on the picker or types
// into it (the keys that open it included).
class CalendarOnFirstUse : public QObject {
public:
    explicit CalendarOnFirstUse(QDateEdit* d) : QObject(d) { d->installEventFilter(this); }
protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::KeyPress) {
            auto* d = static_cast<QDateEdit*>(o);
            d->removeEventFilter(this);
            setUpCalendar(d->calendarWidget());
            deleteLater();
        }
        return false;
    }
};

} // namespace

void SetupDatePicker(QDateEdit* d)
{
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/M/d"));
    d->setMinimumDate(QDate(1900, 1, 1));
    d->setMaximumDate(QDate(9999, 12, 31));
    new CalendarOnFirstUse(d);
}

QCalendarWidget* PickerCalendar(QDateEdit* d)
{
    QCalendarWidget* c = d->calendarWidget();
    setUpCalendar(c);
    return c;
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
