// The customer register driven through its real controls: the save with a
// change of number, the refusals and the rollback, and the delete.
#include "registers_new/RegisterFixture.h"

namespace {

const QString Saved = QStringLiteral("客户信息修改完成！");

class CustTest : public RegisterTest {
protected:
    void addCust(const QString& id, const QString& name)
    {
        exec(QStringLiteral("Insert into Customer(CustID,CardType,CustName,Tel,Address,Memo,BankCard,BankCard_Memo) "
                            "values(:i,'驾驶证',:n,'139','北京','老客户','6222','工行')"),
             {{QStringLiteral("i"), id}, {QStringLiteral("n"), name}});
    }
    void select(const QString& id) { ASSERT_TRUE(frmCust->ADOQry->locate(QStringLiteral("CustID"), id)) << id.toStdString(); }
    QString rows() { return RowsText(db(), "Customer", {"CustID", "CardType", "CustName", "Tel", "Address", "Memo", "BankCard", "BankCard_Memo"}); }
};

// A taken number or a blank one changes nothing; the customer's own number in
// another letter case is no other customer's, and a new number takes every
// hire and the photo along.
TEST_F(CustTest, RefusedNumberChangesLeaveEverythingAndAChangeMovesEveryHireAndThePhoto)
{
    const QString newId = QStringLiteral("O'Neil 50% --");
    addCust(QStringLiteral("A1"), QStringLiteral("张三"));
    addCust(QStringLiteral("b2"), QStringLiteral("李四"));
    addHire(QStringLiteral("京A1"), QStringLiteral("A1"), true);
    addHire(QStringLiteral("京A1"), QStringLiteral("A1"));
    addHire(QStringLiteral("京A1"), QStringLiteral("b2"));
    storePhoto(CustPicDir, QStringLiteral("A1"), QSize(40, 30));
    const QString before = rows();
    inCustomers([&] {
        select(QStringLiteral("A1"));
        for (const auto& [id, notice] : {std::pair{"B2", "该证件号的客户已经存在！"}, std::pair{"  ", "请输入客户编号（证件号）！"}}) {
            clearAndType(U()->EdtCustID, QString::fromLatin1(id));
            clearAndType(U()->EdtTel, QStringLiteral("changed"));
            messages.clear();
            click(U()->BtnSaveBasic);
            EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(notice)});
            EXPECT_EQ(U()->EdtTel->text(), QStringLiteral("changed"));   // the typed values stay
        }
        EXPECT_EQ(rows(), before);
        messages.clear();
        for (const QString& id : {QStringLiteral("a1"), newId}) {
            select(id == newId ? QStringLiteral("a1") : QStringLiteral("A1"));
            clearAndType(U()->EdtCustID, id);
            clearAndType(U()->EdtCustName, QStringLiteral("王'五"));
            U()->CmbCardType->setCurrentIndex(0);
            click(U()->BtnSaveBasic);
        }
        EXPECT_EQ(messageTexts(), QStringList({Saved, Saved}));
    });
    EXPECT_EQ(rows(), newId + QStringLiteral("|身份证|王'五|changed|北京|老客户|6222|工行/b2|驾驶证|李四|139|北京|老客户|6222|工行"));
    EXPECT_EQ(RowsText(db(), "Leaso", {"CustID"}), newId + '/' + newId + QStringLiteral("/b2"));
    EXPECT_EQ(FilesIn(CustPicDir), QStringList{newId + QStringLiteral(".bmp")});
    EXPECT_EQ(bmpInfo(PhotoFileName(CustPicDir, newId)), "bmp 40x30");
}

// Any hire, a finished one included, keeps the customer and the photo; without
// one the row and the stored photo go.
TEST_F(CustTest, ADeleteIsRefusedWithAnyHireAndTakesTheStoredPhotoOtherwise)
{
    addCust(QStringLiteral("H1"), QStringLiteral("张三"));
    addCust(QStringLiteral("N1"), QStringLiteral("李四"));
    addHire(QStringLiteral("京A1"), QStringLiteral("H1"), true);
    storePhoto(CustPicDir, QStringLiteral("H1"));
    storePhoto(CustPicDir, QStringLiteral("N1"));
    const struct { const char* id; const char* notice; const char* left; QStringList photos; } cases[] = {
        {"H1", "该客户存在租车纪录，不能删除！", "H1/N1", {"H1.bmp", "N1.bmp"}},
        {"N1", "成功删除此客户信息！", "H1", {"H1.bmp"}},
    };
    inCustomers([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.id);
            select(QString::fromLatin1(c.id));
            messages.clear();
            answers = {Dlg::IdYes};
            click(U()->BtnDel);
            EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("确定要删除本项客户信息吗？"), QString::fromUtf8(c.notice)}));
            EXPECT_EQ(RowsText(db(), "Customer", {"CustID"}), QString::fromLatin1(c.left));
            EXPECT_EQ(FilesIn(CustPicDir), c.photos);
        }
    });
}

} // namespace
