// Key filters, the handler wrapper and the dialog base, driven by real key events.
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Pickers.h"
#include "app/UnitPublic.h"
#include "support/Typing.h"
#include <QApplication>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
QString typed(KeyFilter kind, const QString& keys)
{
    QLineEdit e;
    InstallKeyFilter(&e, kind);
    TypeText(&e, keys);
    return e.text();
}
}

TEST(KeyFilters, MoneyTakesDigitsAndOnePoint)
{
    EXPECT_EQ(typed(KeyFilter::Money, QStringLiteral("12.3.4a-5")), "12.345");
    EXPECT_EQ(typed(KeyFilter::Money, QStringLiteral(".5")), ".5");
    EXPECT_EQ(typed(KeyFilter::Money, QStringLiteral("１2元")), "2");
}

TEST(KeyFilters, InputMethodTextIsFilteredToo)
{
    QLineEdit e;
    InstallKeyFilter(&e, KeyFilter::WholeNumber);
    QInputMethodEvent bad;
    bad.setCommitString(QStringLiteral("１２公里"));
    QApplication::sendEvent(&e, &bad);
    EXPECT_EQ(e.text(), "");
    QInputMethodEvent good;
    good.setCommitString(QStringLiteral("12"));
    QApplication::sendEvent(&e, &good);
    EXPECT_EQ(e.text(), "12");
}

TEST(KeyFilters, WholeNumbersTakeDigitsOnly)
{
    EXPECT_EQ(typed(KeyFilter::WholeNumber, QStringLiteral("1a2.3 -4")), "1234");
}

TEST(KeyFilters, AccountAmountsHaveNoLeadingPointAndTwoDecimals)
{
    EXPECT_EQ(typed(KeyFilter::AcctAmount, QStringLiteral(".12.345")), "12.34");
    QLineEdit e;
    InstallKeyFilter(&e, KeyFilter::AcctAmount);
    QTest::keyClicks(&e, QStringLiteral("7.25"));
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "7.2");
    QTest::keyClicks(&e, QStringLiteral("9"));
    EXPECT_EQ(e.text(), "7.29");
}

TEST(KeyFilters, EnterNeverPressesAButtonFromAFilteredEdit)
{
    TForm f;
    auto* lay = new QVBoxLayout(&f);
    auto* e = new QLineEdit(&f);
    auto* b = new QPushButton(QStringLiteral("保存"), &f);
    lay->addWidget(e);
    lay->addWidget(b);
    InstallKeyFilter(e, KeyFilter::Money);
    int clicks = 0;
    QObject::connect(b, &QPushButton::clicked, [&] { ++clicks; });
    f.show();
    e->setFocus();
    QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClick(e, Qt::Key_Enter);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(f.isVisible());
    // Esc does nothing on a window without a cancel button.
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    f.setCancelButton(b);
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(clicks, 1);
}

TEST(Pickers, AMomentIsTheDateOfOneAndTheTimeOfTheOther)
{
    QDateEdit d;
    QTimeEdit t;
    SetupDatePicker(&d);
    SetupTimePicker(&t);
    d.setDate(QDate(2026, 5, 3));
    t.setTime(QTime(15, 0, 0));
    EXPECT_EQ(MomentOf(&d, &t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), "2026-05-03 15:00:00");
    EXPECT_EQ(d.text(), "2026/5/3");
    EXPECT_EQ(t.text(), "15:00:00");
}

TEST(Handler, AnEscapedErrorShowsTheErrorBoxAndRollsBack)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + QStringLiteral("/Leaso3.mdb");
    EnsureDatabaseFile(file);
    TADOConnection cn;
    cn.open(file);
    SetGuardConnection(&cn);
    std::vector<Dlg::MessageCall> shown;
    Dlg::hooks().message = [&](const Dlg::MessageCall& c) { shown.push_back(c); return int(Dlg::IdOK); };

    QPushButton b;
    On(&b, &QPushButton::clicked, &b, [&] {
        cn.beginTrans();
        cn.execute(QStringLiteral("INSERT INTO Car (CarID) VALUES ('A1')"));
        StrToInt(QStringLiteral("12x"));   // fails half-way
        cn.commitTrans();
    });
    b.click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("“12x”不是有效的整数"));
    EXPECT_EQ(shown[0].caption, "Quorvane");
    EXPECT_EQ(shown[0].icon, Dlg::Icon::Error);
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 0);

    // A handler that forgets its transaction does not leave it open either.
    QPushButton b2;
    On(&b2, &QPushButton::clicked, &b2, [&] {
        cn.beginTrans();
        cn.execute(QStringLiteral("INSERT INTO Car (CarID) VALUES ('A2')"));
    });
    b2.click();
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 0);
    SetGuardConnection(nullptr);
    Dlg::hooks() = Dlg::Hooks{};
}
