#pragma once
// Event handlers run through one wrapper: an error that escapes a handler is
// shown in the error box captioned with the application title, and a
// transaction the handler left open is rolled back. Qt does not let exceptions
// cross its event loop, so every handler is connected this way.
#include <QObject>
#include <QWidget>
#include <functional>
#include <type_traits>

class TADOConnection;

// Watches the program's connection from its making on: when a write was saved
// meanwhile, an error box shown afterwards says so, since a failure box must
// never stand over a change that was in fact written.
class SavedWritesWatch {
public:
    SavedWritesWatch();
    // The error's text, led by the notice that the change was saved when it was.
    QString text(const QString& error) const;
private:
    TADOConnection* m_cn;
    quint64 m_before;
};

void RunGuarded(QWidget* owner, const std::function<void()>& handler);

// The text of the error being handled, for use inside a catch block.
QString CaughtErrorText();

// Runs a guarded write (one that checks its record is as the window read it).
// When the record changed meanwhile, its transaction has rolled back: the
// notice says so and reread refreshes the window's list. Other errors go on.
// True when the write went through.
bool WriteUnlessChanged(QWidget* owner, const std::function<void()>& write, const std::function<void()>& reread);

// Runs a write whose failure the window reports and then carries on (it
// refreshes its list either way): a changed record gets the notice, any other
// error its text in a plain box. True when the write went through.
bool WriteOrReport(QWidget* owner, const std::function<void()>& write);


template <class Sender, class Signal, class F>
QMetaObject::Connection On(Sender* sender, Signal signal, QWidget* owner, F handler)
{
    return QObject::connect(sender, signal, owner, [owner, handler](auto&&... args) {
        RunGuarded(owner, [&] {
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>) handler(args...);
            else handler();
        });
    });
}
