// The account entry change over an entry whose kind another tool stored as
// neither income nor expense: the dialog shows neither, and the save keeps
// the kind unless the user picks one.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "ui_UnitAcct.h"
#include "ui_UnitModAcct.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "app/UnitMain.h"
#include "platform/Moment.h"
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class AcctEditKind : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return CombineDateTime(QDate(2026, 3, 10), QTime(9, 30)); });
    }
    qint64 add(const QVariant& type, int day, const char* item)
    {
        exec(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
             "Values(:t,500000,0,:i,:w,0,'杂项')"_s,
             {{"t", type}, {"i", QString::fromUtf8(item)}, {"w", QDate(2026, 3, day)}});
        return db().lastInsertId();
    }
    QString stored(qint64 id)
    {
        return RowsText(db(), u"Acct"_s, {u"[Type]"_s, u"Amount"_s, u"Item"_s, u"Category"_s}, u"ID=:id"_s, {{"id", id}});
    }
};

TEST_F(AcctEditKind, AKindTheButtonsCannotShowIsKeptUnlessOneIsPicked)
{
    const struct {
        const char* name;
        QVariant kind;
        const char* pick;     // the button the user picks, or none
        const char* shown;    // the buttons checked when the dialog opens: 收|支
        const char* saved;
    } cases[] = {
        {"null kept", QVariant(), nullptr, "0|0", "NULL|500000|新事项|杂项"},
        {"other number kept", 2, nullptr, "0|0", "2|500000|新事项|杂项"},
        {"null picked as income", QVariant(), "RbOwe", "0|0", "1|500000|新事项|杂项"},
        {"other number picked as expense", 0, "RbPay", "0|0", "-1|500000|新事项|杂项"},
        {"income as ever", 1, nullptr, "1|0", "1|500000|新事项|杂项"},
    };
    for (const auto& c : cases) {
        exec(u"Delete from Acct"_s);
        // An expense first, so the dialog last showed a checked button.
        const qint64 before = add(-1, 3, "前一项");
        const qint64 id = add(c.kind, 4, "旧事项");
        const QString untouched = stored(before);
        inWindow(frmAcct, &TfrmMain::ToolButton7Click, [&] {
            auto* u = frmAcct->ui.get();
            auto* m = frmAcctMod->ui.get();
            u->DateTimePicker1->setDate(QDate(2026, 3, 1));
            u->DateTimePicker2->setDate(QDate(2026, 3, 10));
            click(u->BtnQry);
            for (const qint64 key : {before, id}) {
                ASSERT_TRUE(frmAcct->ADOQry->locate(u"ID"_s, key)) << c.name;
                QString shown;
                whenShown(frmAcctMod, [&] {
                    shown = u"%1|%2"_s.arg(int(m->RbOwe->isChecked())).arg(int(m->RbPay->isChecked()));
                    if (key == id) {
                        if (c.pick) {
                            auto* b = frmAcctMod->findChild<QRadioButton*>(QString::fromUtf8(c.pick));
                            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
                        }
                        clearAndType(m->EdtItem, u"新事项"_s);
                    }
                    click(m->BtnSave);
                });
                click(u->BtnModify);
                if (key == id) EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.name;
            }
        });
        EXPECT_EQ(stored(id), QString::fromUtf8(c.saved)) << c.name;
        EXPECT_EQ(stored(before), untouched) << c.name;
        EXPECT_EQ(messageTexts(), QStringList()) << c.name;
    }
    ExpectLastGuardQuiet();
}

} // namespace
