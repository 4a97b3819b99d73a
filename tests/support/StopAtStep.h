#pragma once
// A command stopped at one of its steps: a forked child runs it and kills
// itself at the chosen step, as a crash or a power cut would stop it there.
// Steps are the connection's statements, the photo files' steps and whatever
// else a test counts through CountStep.
#include "support/Child.h"
#include "common/UnitPhoto.h"
#include <QApplication>
#include <QWidget>
#include <csignal>
#include <sqlite3.h>

inline int StopAt = 0, StepsTaken = 0;
inline void CountStep() { if (StopAt && ++StepsTaken == StopAt) ::raise(SIGKILL); }

// No painting while it stands, so none in a child: the parent's painting threads are not there.
struct NoPainting {
    const QWidgetList windows = QApplication::topLevelWidgets();
    NoPainting() { for (QWidget* w : windows) w->setUpdatesEnabled(false); }
    ~NoPainting() { for (QWidget* w : windows) w->setUpdatesEnabled(true); }
};

// Runs fn in a child killed before its step n; true when fn ran to its end.
// The caller holds a NoPainting.
inline bool RunsToItsEnd(int n, sqlite3* db, const std::function<void()>& fn)
{
    return InChild<bool>([&] {
        StepsTaken = 0, StopAt = n;
        PhotoFileStepHook = CountStep;
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, [](unsigned, void*, void*, void*) { CountStep(); return 0; }, nullptr);
        fn();
        return true;
    }).has_value();
}
