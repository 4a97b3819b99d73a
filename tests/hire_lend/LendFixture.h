#pragma once
// The hire desk, its two pages and their pickers, over rows set up by SQL, with a fixed clock.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "ui_UnitChangeCar.h"
#include "ui_UnitLend.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "app/UnitMain.h"
#include "hire/UnitChangeCar.h"
#include "hire/UnitLend.h"
#include "hire/UnitPrint.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "platform/Currency.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class LendFixture : public AppFixture {
protected:
    QDateTime now = CombineDateTime(QDate(2026, 3, 10), QTime(9, 30, 15));

    void SetUp() override { AppFixture::SetUp(); SetClockHook([this] { return now; }); }

    Ui::TfrmLend* u() { return frmLend->ui.get(); }
    static QVariant money(int64_t raw) { return QVariant::fromValue(Currency::fromRaw(raw)); }
    static QDateTime at(int d, int h, int m = 0, int s = 0) { return CombineDateTime(QDate(2026, 3, d), QTime(h, m, s)); }

    void addCar(const QString& id, int odograph, const QString& state = u"A"_s)
    {
        exec(u"INSERT INTO Car (CarID, State, Style, Mark, Color, Odograph, Defend, Pledge) "
             "VALUES (:id, :st, '轿车', '大众', '白', :odo, 5000, '3000元')"_s, {{"id", id}, {"st", state}, {"odo", odograph}});
    }
    void addCust(const QString& id, const QVariant& name, const QVariant& tel = {}, const QVariant& card = {},
                 const QVariant& memo = {})
    {
        exec(u"INSERT INTO Customer (CustID, CardType, CustName, Tel, BankCard, BankCard_Memo) "
             "VALUES (:id, '身份证', :n, :t, :c, :cm)"_s, {{"id", id}, {"n", name}, {"t", tel}, {"c", card}, {"cm", memo}});
    }
    void addScheme(const QString& name, int type, int64_t priceRaw, int limit, int64_t additionalRaw)
    {
        exec(u"INSERT INTO PriceList (PriceName, LeasoType, BasicPrice, [Limit], AdditionalPrice) VALUES (:n, :t, :p, :l, :a)"_s,
             {{"n", name}, {"t", type}, {"p", money(priceRaw)}, {"l", limit}, {"a", money(additionalRaw)}});
    }
    qint64 addHire(const QString& car, const QString& cust, int type, const QDateTime& begin, const QDateTime& plan,
                   int64_t priceRaw, int limit, int64_t additionalRaw, const QVariant& prepay, int odo)
    {
        exec(u"INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, BasicPrice, [Limit], AdditionalPrice,"
             " Prepay, Odograph1, Memo, CreateTime) VALUES (:car, :cust, :t, :b, :p, :pr, :l, :a, :pre, :odo, '', :b)"_s,
             {{"car", car}, {"cust", cust}, {"t", type}, {"b", begin}, {"p", plan}, {"pr", money(priceRaw)},
              {"l", limit}, {"a", money(additionalRaw)}, {"pre", prepay}, {"odo", odo}});
        return db().lastInsertId();
    }

    int hires() { return scalar(u"SELECT count(*) FROM Leaso"_s).toInt(); }
    QVariant leaso(const QString& column, qint64 id = 1)
    {
        return scalar(u"SELECT %1 FROM Leaso WHERE LeasoID=:id"_s.arg(column), {{"id", id}});
    }
    QDateTime leasoMoment(const QString& column, qint64 id = 1) { return DaysToDateTime(leaso(column, id).toDouble()); }

    void withDesk(const std::function<void()>& fn) { inWindow(frmLend, &TfrmMain::BtnLendClick, fn); }

    using Texts = std::initializer_list<std::pair<QLineEdit*, QString>>;
    void fill(Texts t) { for (const auto& [e, s] : t) clearAndType(e, s); }
    void expectTexts(Texts t) { for (const auto& [e, s] : t) EXPECT_EQ(e->text(), s) << e->objectName().toStdString(); }
    // Message i: its text, caption and icon.
    void expectMessage(size_t i, const QString& text, Dlg::Icon icon = Dlg::Icon::Information)
    {
        ASSERT_GT(messages.size(), i) << text.toStdString();
        EXPECT_EQ(messages[i].text + u'|' + messages[i].caption, text + u"|Quorvane"_s);
        EXPECT_EQ(messages[i].icon, icon);
    }
    // The one box shown since messages was last cleared.
    void expectBox(const QString& text, Dlg::Icon icon = Dlg::Icon::Information)
    {
        ASSERT_EQ(messages.size(), 1u) << text.toStdString();
        expectMessage(0, text, icon);
    }
    // Clicks b, and expects the one box it shows.
    void clickFor(QAbstractButton* b, const QString& text, Dlg::Icon icon = Dlg::Icon::Information)
    {
        messages.clear();
        click(b);
        expectBox(text, icon);
    }

    // A complete hire on the selected vehicle, ready for 租 出.
    void fillHire(const QString& custID, const QString& name, const QString& price = u"150"_s)
    {
        fill({{u()->EdtCustID, custID}, {u()->EdtCustName, name}, {u()->EdtPrice, price}, {u()->EdtLimit, u"200"_s}});
        SetMoment(u()->Dt1Date, u()->Dt1Time, at(10, 10));
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(12, 10));
    }

    void withModPage(const std::function<void()>& fn)
    {
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        withDesk(fn);
    }
    // By the day, 9:00 on the 8th to 9:00 on the 10th at 150 a day, 500 prepaid.
    qint64 addOpenHire(const QString& car, const QString& cust)
    {
        return addHire(car, cust, 0, at(8, 9), at(10, 9), 1500000, 200, 8000, money(5000000), 10000);
    }

    bool selectHire(qint64 key) { return frmLend->ADOMod->locate(u"LeasoID"_s, key); }
    // One column of every row a list holds.
    static QStringList column(TDataSet* ds, const QString& field)
    {
        QStringList l;
        for (int r = 0; r < ds->recordCount(); ++r) l << ds->textAt(r, ds->fieldIndex(field));
        return l;
    }
    QStringList listedCars() { return column(frmLend->ADOMod, u"CarID"_s); }

    // 换车 on the selected hire, choosing plate in the picker once inPicker has run.
    void changeTo(const QString& plate, const std::function<void()>& inPicker = [] {})
    {
        whenShown(frmChangeCar, [plate, inPicker] {
            inPicker();
            QListWidget* list = frmChangeCar->ui->LstNewCar;
            const QList<QListWidgetItem*> found = list->findItems(plate, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << plate.toStdString();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
            click(frmChangeCar->ui->Button1);
        });
        click(u()->BtnChangeCar);
    }

    // Every column of every hire and vehicle, and the change log, as one text.
    QString snapshot()
    {
        QStringList rows;
        for (const QString& sql : {u"SELECT * FROM Leaso"_s, u"SELECT * FROM Car"_s, u"SELECT * FROM ChangeCar"_s})
            for (TStatement st(db(), sql, {}); st.next();)
                for (int c = 0; c < st.columnCount(); ++c) rows << st.columnName(c) + u'=' + st.value(c).toString();
        return rows.join(u'\n');
    }
    QString changeLog() { return scalar(u"SELECT group_concat(LeasoID||':'||OldCarID||'>'||NewCarID) FROM ChangeCar"_s).toString(); }
};
