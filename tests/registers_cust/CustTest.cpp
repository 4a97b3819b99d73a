// The customer register driven through its real controls: the list and its
// details, the save with a change of number, the delete and the photo.
#include "ui_UnitCust.h"
#include "ui_UnitMain.h"
#include "ui_UnitNewCust.h"
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/Typing.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitPhoto.h"
#include <QApplication>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QTest>

namespace {

const QString Saved = QStringLiteral("客户信息修改完成！");

class CustTest : public AppFixture {
protected:
    Ui::TfrmCust* U() { return frmCust->ui; }

    void inRegister(const std::function<void()>& fn)
    {
        whenShown(frmCust, [&] { fn(); if (frmCust->isVisible()) click(U()->BtnExit1); });
        frmMain->ui->BtnCust->click();
    }
    void addCust(const QString& id, const QString& name)
    {
        exec(QStringLiteral("Insert into Customer(CustID,CardType,CustName,Tel,Address,Memo,BankCard,BankCard_Memo) "
                            "values(:i,'驾驶证',:n,'139','北京','老客户','6222','工行')"),
             {{QStringLiteral("i"), id}, {QStringLiteral("n"), name}});
    }
    void addHire(const QString& cust, bool finished)
    {
        exec(QStringLiteral("Insert into Leaso(CarID,CustID,LeasoType,BeginTime,EndTime,ChargeTime) values('京A1',:c,0,45000,:e,:e)"),
             {{QStringLiteral("c"), cust}, {QStringLiteral("e"), finished ? QVariant(45003.0) : QVariant()}});
    }
    QString makePhoto(const QString& path, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(QColor(200, 60, 60));
        EXPECT_TRUE(img.save(path, "BMP"));
        return path;
    }
    void storedPhoto(const QString& id, QSize size) { makePhoto(PhotoFileName(CustPicDir, id), size); }
    static QSize photoSize(const QString& id) { return QImageReader(PhotoFileName(CustPicDir, id)).size(); }
    static QStringList photos() { return QDir(CustPicDir).entryList(QDir::Files, QDir::Name); }
    void select(const QString& id) { ASSERT_TRUE(frmCust->ADOQry->locate(QStringLiteral("CustID"), id)) << id.toStdString(); }
    qint64 count(const QString& sql, const Params& p = {}) { return scalar(sql, p).toLongLong(); }
    qint64 hiresOf(const QString& id) { return count(QStringLiteral("select count(*) from Leaso where CustID=:c"), {{QStringLiteral("c"), id}}); }
    // Every column of a customer, "|"-joined ("rows: n" when it is not there once).
    QString row(const QString& id)
    {
        const Params p = {{QStringLiteral("i"), id}};
        if (count(QStringLiteral("select count(*) from Customer where CustID=:i"), p) != 1) return QStringLiteral("missing");
        return scalar(QStringLiteral("select CustID||'|'||CardType||'|'||CustName||'|'||Tel||'|'||Address||'|'||Memo||'|'||"
                                     "BankCard||'|'||BankCard_Memo from Customer where CustID=:i"), p).toString();
    }
    QString details()
    {
        return QStringList({U()->EdtCustID->text(), U()->CmbCardType->currentText(), U()->EdtCustName->text(), U()->EdtTel->text(),
                            U()->EdtAddress->text(), U()->MmMemo->toPlainText(), U()->EdtBankCard->text(),
                            U()->EdtBankCard_memo->text()}).join('|');
    }
};

TEST_F(CustTest, DetailsFollowTheRowAndANumberChangeMovesEveryHireAndThePhoto)
{
    const QString oldId = QStringLiteral("110101199001011234"), newId = QStringLiteral("O'Neil 50% --");
    addCust(oldId, QStringLiteral("张三"));
    addCust(QStringLiteral("B2"), QStringLiteral("李四"));
    exec(QStringLiteral("Update Customer set CardType='护照' where CustID='B2'"));
    addHire(oldId, true);
    addHire(oldId, false);
    addHire(QStringLiteral("B2"), false);
    storedPhoto(oldId, QSize(40, 30));
    inRegister([&] {
        EXPECT_EQ(frmCust->windowTitle(), QStringLiteral("Quorvane - 客户信息"));
        select(QStringLiteral("B2"));
        EXPECT_EQ(details(), QStringLiteral("B2|护照|李四|139|北京|老客户|6222|工行"));   // a type not in the list
        EXPECT_EQ(U()->EdtCustPath->text(), "");
        select(oldId);
        EXPECT_EQ(U()->EdtCustPath->text(), QLatin1Char('[') + oldId + QLatin1Char(']'));
        EXPECT_EQ(U()->ImgCust->size(), QSize(40, 30));
        clearAndType(U()->EdtCustID, newId);
        clearAndType(U()->EdtCustName, QStringLiteral("王'五"));
        U()->CmbCardType->setCurrentIndex(0);
        click(U()->BtnSaveBasic);
        EXPECT_EQ(messageTexts(), QStringList{Saved});
        EXPECT_EQ(frmCust->ADOQry->recNo(), 0);
    });
    EXPECT_EQ(row(newId), newId + QStringLiteral("|身份证|王'五|139|北京|老客户|6222|工行"));
    EXPECT_EQ(row(oldId), "missing");
    EXPECT_EQ(hiresOf(newId), 2);
    EXPECT_EQ(hiresOf(QStringLiteral("B2")), 1);
    EXPECT_EQ(photos(), QStringList{newId + QStringLiteral(".bmp")});
    EXPECT_EQ(photoSize(newId), QSize(40, 30));
}

TEST_F(CustTest, ANumberTakenInAnotherLetterCaseIsRefusedWithNothingChanged)
{
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    addCust(QStringLiteral("b2"), QStringLiteral("李四"));
    addHire(QStringLiteral("A1"), false);
    storedPhoto(QStringLiteral("A1"), QSize(5, 5));
    const QString before = row(QStringLiteral("A1"));
    inRegister([&] {
        select(QStringLiteral("A1"));
        clearAndType(U()->EdtCustID, QStringLiteral("B2"));
        clearAndType(U()->EdtTel, QStringLiteral("changed"));
        click(U()->BtnSaveBasic);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("该证件号的客户已经存在！"));
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(U()->EdtCustID->text(), QStringLiteral("B2"));   // the typed values stay
        EXPECT_EQ(U()->EdtTel->text(), QStringLiteral("changed"));
        EXPECT_FALSE(db().inTransaction());
    });
    EXPECT_EQ(row(QStringLiteral("A1")), before);
    EXPECT_EQ(hiresOf(QStringLiteral("A1")), 1);
    EXPECT_EQ(photos(), QStringList{QStringLiteral("A1.bmp")});
}

TEST_F(CustTest, AFailingHireUpdateRollsTheRowBackAndTheNumberCanChangeCase)
{
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    addHire(QStringLiteral("A1"), true);
    storedPhoto(QStringLiteral("A1"), QSize(5, 5));
    inRegister([&] {
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Leaso BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        clearAndType(U()->EdtCustID, QStringLiteral("X9"));
        click(U()->BtnSaveBasic);
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("disk full")));
        EXPECT_EQ(messages.back().icon, Dlg::Icon::None);
        EXPECT_EQ(row(QStringLiteral("A1")).left(3), QStringLiteral("A1|"));
        EXPECT_EQ(photos(), QStringList{QStringLiteral("A1.bmp")});
        exec(QStringLiteral("DROP TRIGGER refuse"));
        // Its own number in another case is no other customer's.
        clearAndType(U()->EdtCustID, QStringLiteral("a1"));
        click(U()->BtnSaveBasic);
        EXPECT_EQ(lastMessage(), Saved);
    });
    EXPECT_EQ(scalar(QStringLiteral("select CustID from Customer")).toString(), "a1");
    EXPECT_EQ(scalar(QStringLiteral("select CustID from Leaso")).toString(), "a1");
    EXPECT_EQ(photos(), QStringList{QStringLiteral("a1.bmp")});
}

struct Blank { const char* name; QString id; QString custName; QString message; QString focus; };

TEST_F(CustTest, ABlankNumberOrNameOrAnUnusableFileNameIsRefused)
{
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    const QString picked = makePhoto(dir() + QStringLiteral("p.bmp"), QSize(9, 9));
    const Blank cases[] = {
        {"blank number", QStringLiteral("   "), QStringLiteral("张三"), QStringLiteral("请输入客户编号（证件号）！"), QStringLiteral("EdtCustID")},
        {"blank name", QStringLiteral("A1"), QStringLiteral("  "), QStringLiteral("请输入客户名称！"), QStringLiteral("EdtCustName")},
        {"slash with a photo", QStringLiteral("A/1"), QStringLiteral("张三"), QStringLiteral("客户证件号不能含有"), QStringLiteral("EdtCustID")},
    };
    inRegister([&] {
        openFileAnswers << picked;
        click(U()->BtnCustPath);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            U()->EdtCustID->setText(c.id);
            U()->EdtCustName->setText(c.custName);
            messages.clear();
            click(U()->BtnSaveBasic);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(c.message));
            EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focus);
        }
    });
    EXPECT_EQ(row(QStringLiteral("A1")), QStringLiteral("A1|驾驶证|张三|139|北京|老客户|6222|工行"));
    EXPECT_TRUE(photos().isEmpty());
}

TEST_F(CustTest, SavesStoreReplaceOrDeleteThePhotoUnderTheNumber)
{
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    addHire(QStringLiteral("A1"), false);
    storedPhoto(QStringLiteral("A1"), QSize(5, 5));
    const QString picked = makePhoto(dir() + QStringLiteral("p.bmp"), QSize(9, 9));
    inRegister([&] {
        click(U()->BtnSaveBasic);   // unchanged: the shown photo is stored again
        EXPECT_EQ(photoSize(QStringLiteral("A1")), QSize(5, 5));
        openFileAnswers << picked;
        click(U()->BtnCustPath);
        click(U()->BtnSaveBasic);
        EXPECT_EQ(photoSize(QStringLiteral("A1")), QSize(9, 9));
        click(U()->BtnCustClearImg);   // cleared without a save: the file stays
        EXPECT_EQ(photos().size(), 1);
        click(U()->BtnSaveBasic);
    });
    EXPECT_EQ(messageTexts(), QStringList({Saved, Saved, Saved}));
    EXPECT_TRUE(photos().isEmpty());
    EXPECT_EQ(hiresOf(QStringLiteral("A1")), 1);
}

TEST_F(CustTest, ACustomerWithAnyHireIsNotDeletedAndOneWithoutGoesWithItsPhoto)
{
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    addCust(QStringLiteral("B'2"), QStringLiteral("李四"));
    addCust(QStringLiteral("C3"), QStringLiteral("王五"));
    addHire(QStringLiteral("A1"), true);   // finished and settled
    storedPhoto(QStringLiteral("A1"), QSize(5, 5));
    storedPhoto(QStringLiteral("B'2"), QSize(5, 5));
    storedPhoto(QStringLiteral("C3"), QSize(5, 5));
    inRegister([&] {
        select(QStringLiteral("A1"));
        answers = {Dlg::IdYes};
        click(U()->BtnDel);
        EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("确定要删除本项客户信息吗？"), QStringLiteral("该客户存在租车纪录，不能删除！")}));
        EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
        select(QStringLiteral("B'2"));
        answers = {Dlg::IdNo};
        click(U()->BtnDel);
        messages.clear();
        answers = {Dlg::IdYes};
        click(U()->BtnDel);
        EXPECT_EQ(lastMessage(), QStringLiteral("成功删除此客户信息！"));
        EXPECT_EQ(frmCust->ADOQry->recNo(), 0);
        select(QStringLiteral("C3"));
        click(U()->BtnCustClearImg);   // cleared first: the file stays
        answers = {Dlg::IdYes};
        click(U()->BtnDel);
    });
    EXPECT_EQ(count(QStringLiteral("select count(*) from Customer")), 1);
    EXPECT_EQ(photos(), QStringList({QStringLiteral("A1.bmp"), QStringLiteral("C3.bmp")}));
}

TEST_F(CustTest, AnEmptyListDoesNothingAndNewCustomersAreListed)
{
    inRegister([&] {
        EXPECT_EQ(details(), QStringLiteral("|||||||"));
        click(U()->BtnSaveBasic);
        click(U()->BtnDel);
        EXPECT_TRUE(messages.empty());
        whenShown(frmNewCust, [&] {
            frmNewCust->ui->EdtCustID->setText(QStringLiteral("N1"));
            frmNewCust->ui->EdtCustName->setText(QStringLiteral("新客户"));
            click(frmNewCust->ui->BitBtn1);
        });
        click(U()->BtnNew);
        EXPECT_EQ(frmCust->ADOQry->recordCount(), 1);
        EXPECT_EQ(U()->EdtCustID->text(), QStringLiteral("N1"));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("保存成功！")});
}

} // namespace
