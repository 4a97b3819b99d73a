// Commands whose read after their write fails: a failure box stands only over
// a write that was undone, or says that the change was saved.
#include "hire_return/HireFixture.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include <optional>
#include <sqlite3.h>

namespace {

// Once a command has written, every later SELECT is refused, as a read of a
// table another tool has changed would be.
class ReadsFailAfterWrite {
public:
    explicit ReadsFailAfterWrite(sqlite3* db) : m_db(db) { sqlite3_set_authorizer(m_db, &authorize, this); }
    ~ReadsFailAfterWrite() { sqlite3_set_authorizer(m_db, nullptr, nullptr); }
private:
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*)
    {
        bool& armed = static_cast<ReadsFailAfterWrite*>(self)->m_armed;
        if (action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) armed = true;
        return armed && action == SQLITE_SELECT ? SQLITE_DENY : SQLITE_OK;
    }
    sqlite3* m_db;
    bool m_armed = false;
};

const QString kUndone = u"数据库操作失败，本次没有保存任何内容。"_s;
const QString kSaved = u"本次的修改已经保存，但之后出错，窗口里显示的内容可能不是最新的："_s;

class ReadBack : public HireFixture {
protected:
    Ui::TfrmPrice* P() { return frmPrice->ui.get(); }
    void inSchemes(const std::function<void()>& fn) { inWindow(frmPrice, &TfrmMain::ToolButton10Click, fn); }
    void saveScheme(QAbstractButton* command, const QString& name)
    {
        whenShown(frmNewPrice, [&] {
            auto* d = frmNewPrice->ui.get();
            clearAndType(d->EdtPriceName, name);
            frmNewPrice->SetRadioGroup1ItemIndex(0);
            clearAndType(d->EdtBasicPrice, u"150"_s);
            click(d->BitBtn1);
            if (frmNewPrice->isVisible()) click(d->BitBtn2);
        });
        click(command);
    }
};

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
    auto settle = [this](QLineEdit* amount, QAbstractButton* command) {
        clearAndType(amount, u"300"_s);
        click(command);
    };
    const Case cases[] = {
        {"scheme added", Window::Schemes, true, [this] { saveScheme(P()->BtnNewPrice, u"周末"_s); }, 0, "标准"},
        {"scheme edited", Window::Schemes, false, [this] { saveScheme(P()->BtnEdtPrice, u"改名"_s); }, 0, "改名"},
        {"scheme deleted", Window::Schemes, false, [this] { click(P()->BtnDelPrice); }, 1, ""},
        {"hire returned", Window::Return, false, [this] { click(frmReturn->ui->BtnReturn); }, 1, "returned|"},
        {"hire returned and settled", Window::Return, false,
         [&] { settle(frmReturn->ui->EdtLeaso, frmReturn->ui->BtnReturnCharge); }, 1, "returned|3000000"},
        {"hire settled", Window::Charge, false, [&] { settle(frmCharge->ui->EdtLeaso, frmCharge->ui->Button1); }, 1,
         "returned|3000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* t : {"PriceList", "Leaso", "Car", "Acct"}) exec(u"Delete from "_s + QLatin1String(t));
        if (c.withoutRowid) {
            exec(u"Drop table PriceList"_s);
            exec(table + u" WITHOUT ROWID"_s);
        }
        addScheme(u"标准"_s, 0, 1500000, 200, 8000);
        const qint64 id = c.window == Window::Charge ? returnedHire() : standardHire();
        messages.clear();
        answers = std::deque<int>(c.boxesBefore, Dlg::IdYes);
        auto run = [&] {
            std::optional<ReadsFailAfterWrite> failing;
            if (!c.withoutRowid) failing.emplace(db().handle());
            c.command();
        };
        if (c.window == Window::Schemes) inSchemes(run);
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
        if (c.withoutRowid) {
            exec(u"Drop table PriceList"_s);
            exec(table);
        }
    }
}

} // namespace
