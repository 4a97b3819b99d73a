// The customer register driven through its real controls: the save with a
// change of number, the refusals, and the delete.
#include "registers_new/RegisterFixture.h"
#include <unistd.h>

namespace {

class CustTest : public RegisterTest {
protected:
    void select(const QString& id) { ASSERT_TRUE(frmCust->ADOQry->locate(u"CustID"_s, id)) << id.toStdString(); }
};

// A taken number or a blank one changes nothing; the customer's own number in
// another letter case is no other customer's, and a new number takes every
// hire and the photo along. Any hire, a finished one included, keeps the
// customer and its photo from a delete; without one the row and the photo go.
TEST_F(CustTest, ANumberChangeMovesEveryHireAndThePhotoAndADeleteNeedsNoHire)
{
    const QString newId = u"O'Neil 50% --"_s;
    for (const auto& [id, name] : {std::pair{"A1", "张三"}, std::pair{"b2", "李四"}, std::pair{"N1", "王五"}})
        exec("Insert into Customer(CustID,CardType,CustName,Tel,Address,Memo,BankCard,BankCard_Memo) "
             "values(:i,'驾驶证',:n,'139','北京','老客户','6222','工行')", {{"i", QString::fromUtf8(id)}, {"n", QString::fromUtf8(name)}});
    addHire(u"京A1"_s, u"A1"_s, true);
    addHire(u"京A1"_s, u"A1"_s);
    addHire(u"京A1"_s, u"b2"_s, true);
    storePhoto(CustPicDir, u"A1"_s, QSize(40, 30));
    for (const QString& id : {u"b2"_s, u"N1"_s}) storePhoto(CustPicDir, id);
    const QString before = customers();
    const struct { QString id, notice, left; QStringList photos; } deletes[] = {
        {u"b2"_s, u"该客户存在租车纪录，不能删除！"_s, newId + u"/b2/N1"_s, {"N1.bmp", newId + ".bmp", "b2.bmp"}},
        {u"N1"_s, u"成功删除此客户信息！"_s, newId + u"/b2"_s, {newId + ".bmp", "b2.bmp"}},
    };
    inWindow(frmCust, &TfrmMain::BtnCustClick, [&] {
        select(u"A1"_s);
        for (const auto& [id, notice] : {std::pair{"B2", "该证件号的客户已经存在！"}, std::pair{"  ", "请输入客户编号（证件号）！"}}) {
            clearAndType(U()->EdtCustID, QString::fromLatin1(id));
            clearAndType(U()->EdtTel, u"changed"_s);
            messages.clear();
            click(U()->BtnSaveBasic);
            EXPECT_EQ(messageTexts(), QStringList{QString::fromUtf8(notice)});
            EXPECT_EQ(U()->EdtTel->text(), u"changed"_s);   // the typed values stay
        }
        EXPECT_EQ(customers(), before);
        messages.clear();
        for (const QString& id : {u"a1"_s, newId}) {
            select(id == newId ? u"a1"_s : u"A1"_s);
            clearAndType(U()->EdtCustID, id);
            clearAndType(U()->EdtCustName, u"王'五"_s);
            U()->CmbCardType->setCurrentIndex(0);
            click(U()->BtnSaveBasic);
        }
        EXPECT_EQ(messageTexts(), QStringList(2, u"客户信息修改完成！"_s));
        EXPECT_EQ(customers(), newId + "|身份证|王'五|changed|北京|老客户|6222|工行/b2|驾驶证|李四|139|北京|老客户|6222|工行/N1|驾驶证|王五|139|北京|老客户|6222|工行");
        EXPECT_EQ(RowsText(db(), "Leaso", {"CustID"}), newId + '/' + newId + u"/b2"_s);
        EXPECT_EQ(bmpInfo(PhotoFileName(CustPicDir, newId)), "bmp 40x30");
        for (const auto& c : deletes) {
            SCOPED_TRACE(c.id.toStdString());
            select(c.id);
            messages.clear();
            answers = {Dlg::IdYes};
            click(U()->BtnDel);
            EXPECT_EQ(messageTexts(), QStringList({u"确定要删除本项客户信息吗？"_s, c.notice}));
            EXPECT_EQ(RowsText(db(), "Customer", {"CustID"}), c.left);
            EXPECT_EQ(FilesIn(CustPicDir), c.photos);
        }
    });
}

// An identity number changed only in letter case on a file system that ignores
// it: the old and the new photo name are one file (a hard link stands for it
// here). The photo is written under the new name and the old name is never
// set aside, which there would take the new photo with it.
TEST_F(CustTest, ANumberChangedInLetterCaseKeepsItsPhotoWhereNamesAreOneFile)
{
    const QString oldId = u"11010519491231002x"_s, newId = u"11010519491231002X"_s;
    exec(u"Insert into Customer(CustID,CustName) values(:i,'张三')"_s, {{u"i"_s, oldId}});
    storePhoto(CustPicDir, oldId, QSize(40, 30));
    ASSERT_EQ(::link(QFile::encodeName(PhotoFileName(CustPicDir, oldId)).constData(),
                     QFile::encodeName(PhotoFileName(CustPicDir, newId)).constData()), 0);
    inWindow(frmCust, &TfrmMain::BtnCustClick, [&] {
        select(oldId);
        clearAndType(U()->EdtCustID, newId);
        click(U()->BtnSaveBasic);
    });
    EXPECT_EQ(messageTexts(), QStringList{u"客户信息修改完成！"_s});
    EXPECT_EQ(RowsText(db(), "Customer", {"CustID"}), newId);
    EXPECT_EQ(FilesIn(CustPicDir), QStringList({newId + u".bmp"_s, oldId + u".bmp"_s}));
    EXPECT_EQ(bmpInfo(PhotoFileName(CustPicDir, newId)), "bmp 40x30");
}

} // namespace
