// Pasted text the key filters would refuse when typed (a negative amount or
// reading) is refused in every money and reading box, before anything is written.
#include "HireFixture.h"
#include <QApplication>
#include <QClipboard>

namespace {

class PasteTest : public HireFixture {
protected:
    // Pastes text into an edit the way the user does, past the key filter.
    static void paste(QLineEdit* e, const QString& text)
    {
        e->clear();
        QApplication::clipboard()->setText(text);
        e->setFocus();
        e->paste();
        if (e->text() != text) e->setText(text);   // a platform without a clipboard
    }
    void expectRefused(const QString& text, QLineEdit* box, QWidget* w)
    {
        ASSERT_FALSE(messages.empty());
        EXPECT_TRUE(lastMessage().startsWith("“" + text + "”不是有效的")) << lastMessage().toStdString();
        EXPECT_TRUE(lastMessage().contains("这里只能输入数字")) << lastMessage().toStdString();
        EXPECT_EQ(w->focusWidget(), box);
    }
};

} // namespace

TEST_F(PasteTest, NegativesAreRefusedInTheSettlementAndReturnBoxes)
{
    const qint64 open = standardHire();
    const qint64 returned = returnedHire({.car = "京A-R"});
    struct Case { const char* amount; const char* reading; const char* refused; bool amountBox; };
    const Case cases[] = {
        {"-300", "10900", "-300", true},
        {"300", "-5", "-5", false},
        {"3 00", "10900", "3 00", true},
    };
    openCharge([&] {
        auto* ui = frmCharge->ui;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.refused);
            messages.clear();
            paste(ui->EdtLeaso, c.amount);
            paste(ui->EdtOdograph, c.reading);
            ui->Memo1->setFocus();
            click(ui->Button1);
            expectRefused(c.refused, c.amountBox ? ui->EdtLeaso : ui->EdtOdograph, frmCharge);
        }
    });
    openReturn([&] {
        auto* ui = frmReturn->ui;
        for (const Case& c : cases) {
            for (QAbstractButton* command : {static_cast<QAbstractButton*>(ui->BtnReturn), static_cast<QAbstractButton*>(ui->BtnReturnCharge)}) {
                if (command == ui->BtnReturn && c.amountBox) continue;   // the plain return takes no amount
                SCOPED_TRACE(c.refused);
                messages.clear();
                paste(ui->EdtLeaso, c.amount);
                paste(ui->EdtOdograph, c.reading);
                ui->Memo1->setFocus();
                click(command);
                expectRefused(c.refused, c.amountBox ? ui->EdtLeaso : ui->EdtOdograph, frmReturn);
            }
        }
    });
    for (qint64 id : {open, returned}) EXPECT_TRUE(leaso(id, "ChargeTime").isNull());
    EXPECT_TRUE(leaso(open, "EndTime").isNull());
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
    EXPECT_EQ(car("京A-10001", "State").toString(), "B");
}
