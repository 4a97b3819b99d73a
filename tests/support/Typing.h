#pragma once
// Types text into a widget through real key events, Chinese included
// (QTest::keyClicks handles ASCII only).
#include <QString>
#include <QTest>
#include <QWidget>

inline void TypeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128 && c.unicode() >= 32) QTest::keyClick(w, char(c.unicode()));
        else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
