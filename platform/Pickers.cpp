#include "platform/Pickers.h"
#include "platform/Moment.h"
#include "platform/StoredValue.h"
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

namespace {

// What a date picker remembers of the stored value it was last given.
class StoredPick : public QObject {
public:
    explicit StoredPick(QDateEdit* d) : QObject(d), normalMin(d->minimumDate())
    {
        setObjectName(QStringLiteral("StoredPick"));
        // The user's own date: the picker is an ordinary picker again.
        connect(d, &QDateEdit::dateChanged, this, [this, d] { if (!filling) becomeOrdinary(d, {}); });
    }
    // Shows date (none: the picker's date as it stands) within the normal range.
    void becomeOrdinary(QDateEdit* d, const QDate& date)
    {
        keep = false;
        timeTouched = false;
        stored = QVariant();
        filling = true;
        if (date.isValid()) d->setDate(date);
        d->setSpecialValueText({});
        d->setMinimumDate(normalMin);
        filling = false;
    }
    // The time picker beside it: a time the user sets while the date is
    // kept makes no moment, so the save is refused rather than dropping it.
    void watchTime(QTimeEdit* t)
    {
        if (!t || time == t) return;
        time = t;
        connect(t, &QTimeEdit::timeChanged, this, [this] { if (keep && !filling) timeTouched = true; });
    }
    // The user's date, seen before this object's own slot has run (the window's
    // handlers of the same signal run first): no longer the date kept.
    bool keeps(const QDateEdit* d) const { return keep && d->date() == keptDate; }
    const QDate normalMin;
    QDate keptDate;
    QVariant stored;
    QTimeEdit* time = nullptr;
    bool keep = false;
    bool timeTouched = false;
    bool filling = false;
};

StoredPick* storedPick(const QDateEdit* d)
{
    return d->findChild<StoredPick*>(QStringLiteral("StoredPick"), Qt::FindDirectChildrenOnly);
}

} // namespace

void ShowStoredMoment(QDateEdit* d, QTimeEdit* t, const QVariant& stored, const QDate& nullShownAs)
{
    StoredPick* s = storedPick(d);
    if (!s) s = new StoredPick(d);
    s->watchTime(t);
    const QDateTime m = StoredMoment(stored);
    if (m.isValid() && m.date() >= s->normalMin && m.date() <= d->maximumDate()) {
        s->becomeOrdinary(d, m.date());
        if (t) t->setTime(m.time());
        return;
    }
    if (stored.isNull() && nullShownAs.isValid()) {
        s->becomeOrdinary(d, nullShownAs);
    } else {
        // A day under the picker's range stands for the stored value, shown
        // as its text (a blank for null).
        const QString text = m.isValid() ? DateToStr(m.date()) : stored.toString();
        s->filling = true;
        d->setMinimumDate(s->normalMin.addDays(-1));
        d->setSpecialValueText(text.isEmpty() ? QStringLiteral(" ") : text);
        d->setDate(d->minimumDate());
        s->filling = false;
    }
    s->keep = true;
    s->keptDate = d->date();
    s->stored = stored;
    s->filling = true;
    if (t) t->setTime(m.isValid() ? m.time() : QTime(0, 0));
    s->filling = false;
    s->timeTouched = false;
}

bool TimeSetWithoutDate(const QDateEdit* d)
{
    const StoredPick* s = storedPick(d);
    return s && s->keeps(d) && s->timeTouched;
}

bool KeepsStoredValue(const QDateEdit* d)
{
    const StoredPick* s = storedPick(d);
    return s && s->keeps(d);
}

QDateTime PickedOrStoredMoment(const QDateEdit* d, const QTimeEdit* t)
{
    if (const StoredPick* s = storedPick(d); s && s->keeps(d)) return StoredMoment(s->stored);
    return t ? MomentOf(d, t) : CombineDateTime(d->date(), QTime(0, 0));
}

void ForgetStoredValue(QDateEdit* d, const QDate& date)
{
    if (StoredPick* s = storedPick(d); s && s->keep) s->becomeOrdinary(d, date);
}
