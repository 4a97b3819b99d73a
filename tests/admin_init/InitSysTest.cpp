// Clearing the business data from the main window's menu command.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/FileTools.h"
#include "admin/UnitInitSys.h"
#include "app/UnitMain.h"
#include "ui_UnitInitSys.h"

using namespace Qt::StringLiterals;
namespace {

const QStringList Emptied{u"Leaso"_s, u"PriceList"_s, u"CarCost"_s, u"Car"_s, u"Customer"_s};

class InitSysTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        // One row in every table, names with quotes among them.
        for (const char* sql : {"Insert into Car(CarID,State) values('京A''1','B')",
                                "Insert into Customer(CustID,CustName) values('110101199001011234','O''Brien')",
                                "Insert into PriceList(PriceName,LeasoType,BasicPrice) values('日租',0,2000000)",
                                "Insert into Leaso(CarID,CustID,BeginTime) values('京A''1','110101199001011234',45000)",
                                "Insert into CarCost(CarID,Name,Cost) values('京A''1','保险',30000000)",
                                "Insert into Acct(Type,Amount,LeasoID,Item) values(1,2000000,1,'租金')",
                                "Insert into Config(Item,[Value]) values('ADMINPASS','secret')"})
            exec(QString::fromUtf8(sql));
        for (const char* f : {"京A1.bmp", "京A2.BMP", "photo.jpg"}) WriteFile(CarPicDir + QString::fromUtf8(f), "BM");
    }
    // Opens the clearing from the menu, presses button and tells whether the dialog stayed open.
    bool press(QPushButton* (Ui::TfrmInit::*button))
    {
        bool open = false;
        whenShown(frmInit, [&] { click(frmInit->ui.get()->*button); open = frmInit->isVisible(); if (open) frmInit->reject(); });
        frmMain->N2Click();
        return open;
    }
    QList<qint64> counts(const QStringList& tables)
    { QList<qint64> n; for (const QString& t : tables) n << scalar(u"Select count(*) from "_s + t).toLongLong(); return n; }
};

// Cancel changes nothing. A failing fourth delete rolls back the three before
// it, keeps the photos and the dialog open. 初始化 empties the five tables, keeps
// the account book and settings, and deletes the bitmaps in any letter case.
TEST_F(InitSysTest, EmptiesTheFiveTablesAndDeletesTheBitmapsOrRollsBackOnFailure)
{
    press(&Ui::TfrmInit::BitBtn1);
    EXPECT_TRUE(messages.empty());
    exec(u"Create trigger NoCarDelete before delete on Car begin select raise(abort,'车辆表已锁定'); end"_s);
    EXPECT_TRUE(press(&Ui::TfrmInit::BtnOK));
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 1));
    EXPECT_EQ(EntriesIn(CarPicDir).size(), 3);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().contains(u"车辆表已锁定"_s)) << lastMessage().toStdString();
    EXPECT_FALSE(db().inTransaction());

    exec(u"Drop trigger NoCarDelete"_s);
    messages.clear();
    EXPECT_FALSE(press(&Ui::TfrmInit::BtnOK));
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 0));
    EXPECT_EQ(counts({u"Acct"_s, u"Config"_s}), QList<qint64>(2, 1));
    EXPECT_EQ(messageTexts(), QStringList{u"系统原有数据已全部删除"_s});
    EXPECT_EQ(EntriesIn(CarPicDir), QStringList{u"photo.jpg"_s});
}

} // namespace
