// Commands whose read after their write fails: a failure box stands only over
// a write that was undone, or says that the change was saved.
#include "hire_return/HireFixture.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include <sqlite3.h>

namespace {

// Once a command has written, every later SELECT is refused, as a read of a
// table another tool has changed would be.
int ReadsFailAfterWrite(void* armed, int action, const char*, const char*, const char*, const char*)
{
    bool& written = *static_cast<bool*>(armed);
    if (action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) written = true;
    return written && action == SQLITE_SELECT ? SQLITE_DENY : SQLITE_OK;
}

const QString kUndone = u"数据库操作失败，本次没有保存任何内容。"_s;
const QString kSaved = u"本次的修改已经保存，但之后出错，窗口里显示的内容可能不是最新的："_s;

using ReadBack = HireFixture;

enum class Window { Schemes, Return, Charge };

struct Case {
    const char* name;
    Window window;                   // scheme rows, or one open hire (returned for the settlement)
    bool withoutRowid;               // the scheme table remade WITHOUT ROWID: the write is undone;
                                     // otherwise reads fail after the write, which stays saved
    std::function<void()> command;   // run in its window
    int boxesBefore;                 // questions answered yes, or notices, before the failure box
    const char* stored;              // the scheme names, or the hire's state and charge, afterwards
};

TEST_F(ReadBack, AFailureBoxStandsOnlyOverAnUndoneWriteOrSaysTheChangeWasSaved)
{
    const QString table = u"Create table PriceList (PriceName VARCHAR(50) COLLATE NOCASE NOT NULL PRIMARY KEY, "
                          "LeasoType INTEGER, BasicPrice CURRENCY, [Limit] INTEGER, AdditionalPrice CURRENCY)"_s;
    auto* P = frmPrice->ui.get();
    auto saveScheme = [this](QAbstractButton* command, const QString& name) {
        whenShown(frmNewPrice, [&] {
            auto* d = frmNewPrice->ui.get();
            clearAndType(d->EdtPriceName, name);
            frmNewPrice->SetRadioGroup1ItemIndex(0);
            clearAndType(d->EdtBasicPrice, u"150"_s);
            click(d->BitBtn1);
            if (frmNewPrice->isVisible()) click(d->BitBtn2);
        });
        click(command);
    };
    const Case cases[] = {
        {"scheme added", Window::Schemes, true, [&] { saveScheme(P->BtnNewPrice, u"周末"_s); }, 0, "标准"},
        {"scheme edited", Window::Schemes, false, [&] { saveScheme(P->BtnEdtPrice, u"改名"_s); }, 0, "改名"},
        {"scheme deleted", Window::Schemes, false, [&] { click(P->BtnDelPrice); }, 1, ""},
        {"hire returned", Window::Return, false, [this] { click(frmReturn->ui->BtnReturn); }, 1, "returned|"},
        {"hire returned and settled", Window::Return, false,
         [&] { clearAndType(frmReturn->ui->EdtLeaso, u"300"_s); click(frmReturn->ui->BtnReturnCharge); }, 1, "returned|3000000"},
        {"hire settled", Window::Charge, false,
         [&] { clearAndType(frmCharge->ui->EdtLeaso, u"300"_s); click(frmCharge->ui->Button1); }, 1, "returned|3000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* t : {"Leaso", "Car", "Acct"}) exec(u"Delete from "_s + QLatin1String(t));
        exec(u"Drop table PriceList"_s);
        exec(c.withoutRowid ? table + u" WITHOUT ROWID"_s : table);
        addScheme(u"标准"_s, 0, 1500000, 200, 8000);
        const qint64 id = c.window == Window::Charge ? returnedHire() : standardHire();
        messages.clear();
        answers = std::deque<int>(c.boxesBefore, Dlg::IdYes);
        bool written = false;
        auto run = [&] {
            if (!c.withoutRowid) sqlite3_set_authorizer(db().handle(), &ReadsFailAfterWrite, &written);
            c.command();
            sqlite3_set_authorizer(db().handle(), nullptr, nullptr);
        };
        if (c.window == Window::Schemes) inWindow(frmPrice, &TfrmMain::ToolButton10Click, run);
        else if (c.window == Window::Return) openReturn(run);
        else openCharge(run);

        ASSERT_EQ(messages.size(), size_t(c.boxesBefore + 1)) << messageTexts().join(u'/').toStdString();
        const QString box = messages.back().text;
        EXPECT_TRUE(c.withoutRowid ? box.startsWith(kUndone) && box.endsWith(u"no such column: rowid"_s)
                                   : box.startsWith(kSaved) && box.endsWith(u"not authorized"_s)) << box.toStdString();
        const QString stored = c.window == Window::Schemes
            ? scalar(u"Select coalesce(group_concat(PriceName, '/'), '') from PriceList"_s).toString()
            : (leaso("EndTime", id).isNull() ? u"open|"_s : u"returned|"_s) + leaso("Charge", id).toString();
        EXPECT_EQ(stored, QString::fromUtf8(c.stored));
        EXPECT_FALSE(db().inTransaction());
    }
}

} // namespace
