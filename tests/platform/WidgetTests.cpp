// Key filters and the handler wrapper, driven by real events.
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "common/UnitPublic.h"
#include "support/Typing.h"
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(KeyFilters, TypedAndInputMethodTextIsFiltered)
{
    struct Row { KeyFilter kind; const char* keys; const char* kept; };
    const Row rows[] = {
        {KeyFilter::Money, "12.3.4a-5", "12.345"}, {KeyFilter::Money, "１2元", "2"},
        {KeyFilter::WholeNumber, "1a2.3 -4", "1234"}, {KeyFilter::AcctAmount, ".12.345", "12.34"},
    };
    for (const Row& r : rows) {
        QLineEdit e;
        InstallKeyFilter(&e, r.kind);
        TypeText(&e, QString::fromUtf8(r.keys));
        EXPECT_EQ(e.text(), QString::fromUtf8(r.kept)) << r.keys;
    }
    QLineEdit e;
    InstallKeyFilter(&e, KeyFilter::WholeNumber);
    QInputMethodEvent bad;
    bad.setCommitString(QStringLiteral("１２公里"));
    QApplication::sendEvent(&e, &bad);
    EXPECT_EQ(e.text(), "");
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
    SetGuardConnection(nullptr);
    Dlg::hooks() = Dlg::Hooks{};
}
