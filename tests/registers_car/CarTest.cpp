// The vehicle register driven through its real controls: the list and its
// details, the edit with a change of key, the delete, and the photo page.
#include "ui_UnitCar.h"
#include "ui_UnitMain.h"
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "platform/Moment.h"
#include "registers/UnitCar.h"
#include "registers/UnitPhoto.h"
#include <QImageReader>
#include <QPlainTextEdit>

namespace {

const QString NoVehicleYet = QStringLiteral("当前没有车辆信息。请先通过“车辆新增”功能录入车辆信息！");
const QString Confirm = QStringLiteral("确定要修改原信息吗？");
const QString Done = QStringLiteral("车辆信息修改完成！");
const QString Taken = QStringLiteral("该编号的车辆已经存在，请重新输入！");

class CarTest : public AppFixture {
protected:
    Ui::TfrmCar* C() { return frmCar->ui; }

    // Opens the register from the main window, runs fn in it, then leaves with 退出.
    void inRegister(const std::function<void()>& fn)
    {
        whenShown(frmCar, [&] { fn(); if (frmCar->isVisible()) click(C()->BtnExit1); });
        frmMain->ui->BtnCar->click();
    }
    // A vehicle row; dates as days, NULL where a value is null.
    void addCar(const QString& key, const QString& state, const QVariant& odograph = 1000, const QVariant& defend = 5000,
                const QString& mark = QStringLiteral("大众"))
    {
        exec(QStringLiteral("Insert into Car(CarID,State,Style,Mark,Color,MotorID,Odograph,Defend,Pledge,BuyDate,CheckDate,Description) "
                            "values(:k,:s,'轿车',:m,'白','M-1',:o,:d,'5000元',:b,:c,'备注')"),
             {{QStringLiteral("k"), key}, {QStringLiteral("s"), state}, {QStringLiteral("m"), mark},
              {QStringLiteral("o"), odograph}, {QStringLiteral("d"), defend},
              {QStringLiteral("b"), QDate(2020, 3, 4)}, {QStringLiteral("c"), QDate(2024, 5, 6)}});
    }
    // A hire of the vehicle; finished ones are returned and settled.
    void addHire(const QString& car, bool finished)
    {
        exec(QStringLiteral("Insert into Leaso(CarID,CustID,LeasoType,BeginTime,EndTime,ChargeTime) values(:c,'C1',0,45000,:e,:e)"),
             {{QStringLiteral("c"), car}, {QStringLiteral("e"), finished ? QVariant(45003.0) : QVariant()}});
    }
    void addFee(const QString& car)
    {
        exec(QStringLiteral("Insert into CarCost(CarID,Name,Cost) values(:c,'保险',10000)"), {{QStringLiteral("c"), car}});
    }
    // A picture file of the given size as a vehicle's photo (or anywhere with a full path).
    QString makePhoto(const QString& key, QSize size = QSize(30, 20))
    {
        return SavePicture(key.startsWith(QLatin1Char('/')) ? key : PhotoFileName(CarPicDir, key), "BMP", size);
    }
    static QSize photoSize(const QString& key) { return QImageReader(PhotoFileName(CarPicDir, key)).size(); }
    static QStringList photos() { return FilesIn(CarPicDir); }

    void select(const QString& key) { ASSERT_TRUE(frmCar->ADOQry->locate(QStringLiteral("CarID"), key)) << key.toStdString(); }
    // 修改 answered Yes.
    void save() { answers = {Dlg::IdYes}; click(C()->BtnSaveBasic); }
    QString stored(const QString& key, const QString& cols)
    {
        return scalar(QStringLiteral("select %1 from Car where CarID=:k").arg(cols), {{QStringLiteral("k"), key}}).toString();
    }
    qint64 count(const QString& sql, const Params& p = {}) { return scalar(sql, p).toLongLong(); }
    QString hiresOf(const QString& car)
    {
        return QString::number(count(QStringLiteral("select count(*) from Leaso where CarID=:c"), {{QStringLiteral("c"), car}}));
    }
};

// ---- the list and the details ----

struct StateCase { const char* name; const char* letter; const char* listText; const char* entries; const char* shown; bool enabled; const char* pick; const char* saved; };

TEST_F(CarTest, EachStateShowsItsEntriesAndASaveWritesOnlyAnOfferedChange)
{
    const StateCase cases[] = {
        {"free", "A", "空闲", "空闲|停租", "空闲", true, "停租", "D"},
        {"out of service", "D", "停租", "空闲|停租", "停租", true, "空闲", "A"},
        {"free kept", "A", "空闲", "空闲|停租", "空闲", true, nullptr, "A"},
        {"hired out", "B", "出租", "租出", "租出", false, nullptr, "B"},
        {"reserved", "C", "预定", "预定", "预定", false, nullptr, "C"},
        {"unknown", "X", "", "", "", false, nullptr, "X"},
    };
    for (const auto& c : cases) addCar(QString::fromLatin1(c.name), QString::fromLatin1(c.letter));
    inRegister([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            select(QString::fromLatin1(c.name));
            EXPECT_EQ(C()->DBGrid1->selectedText(1), QString::fromUtf8(c.listText));
            EXPECT_EQ(ComboItems(C()->CmbState).join('|'), QString::fromUtf8(c.entries));
            EXPECT_EQ(C()->CmbState->currentText(), QString::fromUtf8(c.shown));
            EXPECT_EQ(C()->CmbState->isEnabled(), c.enabled);
            if (c.pick) C()->CmbState->setCurrentText(QString::fromUtf8(c.pick));
            messages.clear();
            save();
            EXPECT_EQ(messageTexts(), QStringList({Confirm, Done}));
            EXPECT_EQ(stored(QString::fromLatin1(c.name), QStringLiteral("State")), QString::fromLatin1(c.saved));
        }
    });
}

TEST_F(CarTest, DetailsFollowTheRowAndShowStoredTextsTheListsDoNotHold)
{
    addCar(QStringLiteral("京A1"), QStringLiteral("A"), 1234, 5678, QStringLiteral("BMW"));
    addCar(QStringLiteral("京A2"), QStringLiteral("A"), QVariant(), QVariant(), QStringLiteral("bmw"));   // a case variant
    exec(QStringLiteral("Update Car set Style=NULL, BuyDate=NULL, Description=NULL where CarID='京A2'"));
    makePhoto(QStringLiteral("京A1"), QSize(400, 300));
    inRegister([&] {
        EXPECT_EQ(frmCar->windowTitle(), QStringLiteral("Quorvane - 车辆信息"));
        EXPECT_EQ(ComboItems(C()->CmbMark), QStringList{QStringLiteral("BMW")});   // one entry for both spellings
        EXPECT_EQ(ComboItems(C()->CmbCarStyle).size(), 2);                         // "轿车" and the empty one
        select(QStringLiteral("京A1"));
        EXPECT_EQ(QStringList({C()->EdtCarID->text(), C()->EdtCarOdograph->text(), C()->EdtDefend->text(), C()->EdtPledge->text(),
                               C()->EdtCarMotorID->text(), C()->MmCar->toPlainText(), C()->CmbCarStyle->currentText(),
                               C()->CmbMark->currentText(), C()->CmbColor->currentText()}).join('|'),
                  QStringLiteral("京A1|1234|5678|5000元|M-1|备注|轿车|BMW|白"));
        EXPECT_EQ(C()->DtBuy->date(), QDate(2020, 3, 4));
        EXPECT_EQ(C()->DtCheck->date(), QDate(2024, 5, 6));
        EXPECT_EQ(C()->EdtCarPath->text(), QStringLiteral("[京A1]"));
        EXPECT_EQ(C()->ImgCar->pixmap().size(), QSize(400, 300));

        select(QStringLiteral("京A2"));
        EXPECT_EQ(C()->CmbMark->currentText(), QStringLiteral("bmw"));
        EXPECT_EQ(C()->CmbCarStyle->currentText(), "");
        EXPECT_EQ(C()->EdtCarOdograph->text() + C()->EdtDefend->text() + C()->MmCar->toPlainText(), "");
        EXPECT_EQ(C()->DtBuy->date(), NowMoment().date().addDays(-30));
        EXPECT_EQ(C()->EdtCarPath->text(), "");
        EXPECT_TRUE(C()->ImgCar->pixmap().isNull());
        // A saved letter-case variant stays as stored, and empty mileages keep theirs.
        C()->CmbColor->setEditText(QStringLiteral("新颜色"));
        save();
        EXPECT_EQ(lastMessage(), Done);
        EXPECT_EQ(frmCar->ADOQry->recNo(), 0);   // back on the first vehicle
    });
    EXPECT_EQ(stored(QStringLiteral("京A2"), QStringLiteral("Mark||'|'||Color||'|'||ifnull(Odograph,'null')||'|'||ifnull(Defend,'null')")),
              QStringLiteral("bmw|新颜色|null|null"));
    EXPECT_EQ(stored(QStringLiteral("京A2"), QStringLiteral("ifnull(Style,'null')")), "");   // the empty box writes an empty text
}

TEST_F(CarTest, AnEmptyRegisterShowsNothingAndEveryCommandSaysSo)
{
    inRegister([&] {
        EXPECT_EQ(C()->EdtCarID->text() + C()->EdtCarOdograph->text() + C()->EdtPledge->text() + C()->CmbMark->currentText()
                  + C()->CmbCarStyle->currentText() + C()->CmbColor->currentText() + C()->MmCar->toPlainText(), "");
        EXPECT_EQ(C()->DtBuy->date(), NowMoment().date().addDays(-30));
        EXPECT_EQ(C()->DtCheck->date(), NowMoment().date().addDays(-30));
        EXPECT_TRUE(C()->ImgCar->pixmap().isNull());
        EXPECT_FALSE(C()->PnlBasic->isEnabled());
        click(C()->BtnSaveBasic);
        click(C()->BtnDel);
        click(C()->BtnSave);
    });
    EXPECT_EQ(messageTexts(), QStringList({NoVehicleYet, QStringLiteral("当前没有车辆信息！"), NoVehicleYet}));
}

// ---- the edit ----

// Leftover photos under the new keys belong to no vehicle: a moved photo replaces one, a key without photo removes one.
TEST_F(CarTest, AKeyChangeMovesEveryHireAndThePhotoAndLeavesFeeItems)
{
    const QString oldKey = QStringLiteral("O'Brien 1"), newKey = QStringLiteral("京B 2'--");
    addCar(oldKey, QStringLiteral("B"));
    addCar(QStringLiteral("K1"), QStringLiteral("A"));
    addHire(oldKey, true);
    addHire(oldKey, false);
    addFee(oldKey);
    makePhoto(oldKey, QSize(40, 30));
    makePhoto(newKey, QSize(5, 5));
    makePhoto(QStringLiteral("K2"));
    inRegister([&] {
        select(oldKey);
        clearAndType(C()->EdtCarID, newKey);
        save();
        EXPECT_EQ(messageTexts(), QStringList({Confirm, Done}));
        select(newKey);
        EXPECT_EQ(C()->EdtCarPath->text(), QLatin1Char('[') + newKey + QLatin1Char(']'));
        select(QStringLiteral("K1"));
        clearAndType(C()->EdtCarID, QStringLiteral("K2"));
        save();
        EXPECT_EQ(lastMessage(), Done);
        select(QStringLiteral("K2"));
        EXPECT_EQ(C()->EdtCarPath->text(), "");
    });
    EXPECT_EQ(hiresOf(newKey) + hiresOf(oldKey), "20");
    EXPECT_EQ(stored(newKey, QStringLiteral("State")), "B");
    EXPECT_EQ(count(QStringLiteral("select count(*) from CarCost where CarID=:c"), {{QStringLiteral("c"), oldKey}}), 1);
    EXPECT_EQ(photos(), QStringList{newKey + QStringLiteral(".bmp")});
    EXPECT_EQ(photoSize(newKey), QSize(40, 30));
}

struct RefusedEdit { const char* name; QString key; QString defend; QString odograph; QString message; };

TEST_F(CarTest, ARefusedEditWritesNothingAndMovesNothing)
{
    addCar(QStringLiteral("ab1"), QStringLiteral("A"));
    addCar(QStringLiteral("zz9"), QStringLiteral("A"));
    addHire(QStringLiteral("ab1"), false);
    makePhoto(QStringLiteral("ab1"));
    const QString range = QStringLiteral("必须是0到2147483647之间的整数！");
    const RefusedEdit cases[] = {
        {"case only", QStringLiteral("AB1"), {}, {}, Taken},
        {"another vehicle's key", QStringLiteral("ZZ9"), {}, {}, Taken},
        {"empty key", QStringLiteral("   "), {}, {}, QStringLiteral("请输入车辆编号！")},
        {"slash in key", QStringLiteral("a/b"), {}, {}, QStringLiteral("车辆编号不能含有")},
        {"deposit too large", QStringLiteral("new1"), QStringLiteral("2147483648"), {}, QStringLiteral("保养里程数") + range},
        {"pasted deposit", QStringLiteral("new1"), QStringLiteral("12a"), {}, QStringLiteral("保养里程数") + range},
        {"odometer too large", QStringLiteral("new1"), {}, QStringLiteral("99999999999"), QStringLiteral("当前里程数") + range},
    };
    inRegister([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            select(QStringLiteral("ab1"));
            C()->EdtCarID->setText(c.key);
            if (!c.defend.isEmpty()) C()->EdtDefend->setText(c.defend);     // as pasted: the key filter sees no keys
            if (!c.odograph.isEmpty()) C()->EdtCarOdograph->setText(c.odograph);
            C()->CmbMark->setEditText(QStringLiteral("改过"));
            messages.clear();
            save();
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_TRUE(messages[1].text.startsWith(c.message)) << messages[1].text.toStdString();
            EXPECT_EQ(messages[1].caption, QStringLiteral("Quorvane"));
            EXPECT_EQ(C()->EdtCarID->text(), c.key);   // the typed values stay
        }
    });
    EXPECT_EQ(stored(QStringLiteral("ab1"), QStringLiteral("CarID||Mark||Defend||Odograph")), QStringLiteral("ab1大众50001000"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from Car")), 2);
    EXPECT_EQ(hiresOf(QStringLiteral("ab1")), "1");
    EXPECT_EQ(photos(), QStringList{QStringLiteral("ab1.bmp")});
}

TEST_F(CarTest, AnswerNoOrAFailingWriteChangesNothing)
{
    addCar(QStringLiteral("K1"), QStringLiteral("A"));
    addHire(QStringLiteral("K1"), false);
    makePhoto(QStringLiteral("K1"));
    inRegister([&] {
        clearAndType(C()->EdtCarID, QStringLiteral("K2"));
        answers = {Dlg::IdNo};
        click(C()->BtnSaveBasic);
        EXPECT_EQ(messageTexts(), QStringList{Confirm});
        // The vehicle row is refused after the hires moved: both stay as they were.
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Car BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        save();
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("disk full")));
        EXPECT_FALSE(db().inTransaction());
    });
    EXPECT_EQ(hiresOf(QStringLiteral("K1")), "1");
    EXPECT_EQ(stored(QStringLiteral("K1"), QStringLiteral("CarID")), "K1");
    EXPECT_EQ(photos(), QStringList{QStringLiteral("K1.bmp")});
}

TEST_F(CarTest, AVehicleHiredOutSinceItWasListedIsNotOverwritten)
{
    addCar(QStringLiteral("K1"), QStringLiteral("A"));
    inRegister([&] {
        exec(QStringLiteral("Update Car set State='B', Odograph=2000 where CarID='K1'"));   // the hire desk got there first
        C()->CmbState->setCurrentText(QStringLiteral("停租"));
        save();
        EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("该记录已被修改")));
        EXPECT_EQ(C()->CmbState->currentText(), QStringLiteral("租出"));   // the list was read again
    });
    EXPECT_EQ(stored(QStringLiteral("K1"), QStringLiteral("State||Odograph")), "B2000");
}

TEST_F(CarTest, EveryFieldIsWrittenAndMileagesOnlyWhenGiven)
{
    addCar(QStringLiteral("K1"), QStringLiteral("D"));
    inRegister([&] {
        clearAndType(C()->EdtCarOdograph, QStringLiteral("2147483647"));
        C()->EdtDefend->clear();
        C()->CmbCarStyle->setEditText(QStringLiteral("面包车"));
        clearAndType(C()->EdtPledge, QStringLiteral("押'金"));
        clearAndType(C()->EdtCarMotorID, "");
        C()->MmCar->setPlainText(QStringLiteral("50% -- 'x'"));
        C()->DtBuy->setDate(QDate(2019, 1, 2));
        C()->CmbState->setCurrentText(QStringLiteral("空闲"));
        save();
    });
    EXPECT_EQ(stored(QStringLiteral("K1"), QStringLiteral("State||'|'||Style||'|'||Pledge||'|'||MotorID||'|'||Description||'|'||Odograph||'|'||Defend")),
              QStringLiteral("A|面包车|押'金||50% -- 'x'|2147483647|5000"));
    EXPECT_EQ(scalar(QStringLiteral("select BuyDate from Car")).toDouble(), DateToDays(QDate(2019, 1, 2)));
}

// ---- the delete ----

TEST_F(CarTest, ADeleteRemovesTheRowAndTheStoredPhotoUnlessTheVehicleHasAnyHire)
{
    addCar(QStringLiteral("K'1"), QStringLiteral("A"));
    addCar(QStringLiteral("K2"), QStringLiteral("A"));
    addCar(QStringLiteral("K3"), QStringLiteral("A"));
    addHire(QStringLiteral("K3"), true);   // finished and settled
    addFee(QStringLiteral("K'1"));
    for (const char* k : {"K'1", "K2", "K3"}) makePhoto(QString::fromLatin1(k));
    inRegister([&] {
        select(QStringLiteral("K3"));
        answers = {Dlg::IdYes};
        click(C()->BtnDel);
        ASSERT_EQ(messageTexts(), QStringList({QStringLiteral("确定要删除本项车辆的信息吗？"),
                                               QStringLiteral("该车辆存在出租纪录，不能删除！\n如果车辆已不能使用，请将状态置为“停租”！")}));
        EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
        select(QStringLiteral("K'1"));
        answers = {Dlg::IdNo};
        click(C()->BtnDel);   // No: nothing happens
        answers = {Dlg::IdYes};
        click(C()->BtnDel);
        EXPECT_EQ(lastMessage(), QStringLiteral("成功删除此车辆信息！"));
        EXPECT_EQ(C()->EdtCarID->text(), QStringLiteral("K2"));
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        click(C()->BtnNewCarClearImg);   // cleared first: the file stays
        answers = {Dlg::IdYes};
        click(C()->BtnDel);
    });
    EXPECT_EQ(RowsText(db(), "Car", {"CarID"}), "K3");
    EXPECT_EQ(count(QStringLiteral("select count(*) from CarCost")), 1);
    EXPECT_EQ(photos(), QStringList({QStringLiteral("K2.bmp"), QStringLiteral("K3.bmp")}));
}

// ---- the photo page ----

TEST_F(CarTest, SavePictureWritesUnderTheSelectedKeyAndClearedDeletes)
{
    addCar(QStringLiteral("K1"), QStringLiteral("A"));
    addCar(QStringLiteral("K2"), QStringLiteral("A"));
    makePhoto(QStringLiteral("K2"), QSize(7, 7));
    const QString picked = makePhoto(dir() + QStringLiteral("pick.bmp"), QSize(12, 9));
    inRegister([&] {
        select(QStringLiteral("K1"));
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        openFileAnswers << picked;
        click(C()->BtnNewCarPath);
        EXPECT_EQ(C()->EdtCarPath->text(), picked);
        C()->EdtCarID->setText(QStringLiteral("K2"));   // typed, not saved: no other vehicle's photo is touched
        click(C()->BtnSave);
        EXPECT_EQ(lastMessage(), QStringLiteral("图片保存成功！"));
        EXPECT_EQ(photoSize(QStringLiteral("K1")), QSize(12, 9));
        EXPECT_EQ(photoSize(QStringLiteral("K2")), QSize(7, 7));
        select(QStringLiteral("K2"));
        click(C()->BtnNewCarClearImg);
        messages.clear();
        click(C()->BtnSave);
        EXPECT_TRUE(messages.empty());
    });
    EXPECT_EQ(photos(), QStringList{QStringLiteral("K1.bmp")});
}

TEST_F(CarTest, TheOtherButtonsOpenTheQueryPageAndClose)
{
    addCar(QStringLiteral("K1"), QStringLiteral("A"));
    inRegister([&] {
        click(C()->BtnAgainstLaw);
        EXPECT_TRUE(frmCar->isVisible());
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        click(C()->BtnExit2);
        EXPECT_FALSE(frmCar->isVisible());
    });
    EXPECT_EQ(openedUrls.size(), 1);
    // The page shown last stays for the next showing; the mileage boxes take digits only.
    inRegister([&] {
        EXPECT_EQ(C()->PageControl1->currentWidget(), C()->TabSheet4);
        C()->PageControl1->setCurrentWidget(C()->TabSheet3);
        clearAndType(C()->EdtCarOdograph, QStringLiteral("1a2.3-4"));
        clearAndType(C()->EdtDefend, QStringLiteral("9 8x"));
        EXPECT_EQ(C()->EdtCarOdograph->text() + QLatin1Char('|') + C()->EdtDefend->text(), QStringLiteral("1234|98"));
    });
    EXPECT_EQ(C()->PageControl1->currentWidget(), C()->TabSheet3);
}

} // namespace
