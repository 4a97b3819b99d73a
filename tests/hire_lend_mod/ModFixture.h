#pragma once
// The hire desk opened on its second page, over open hires set up by SQL.
// The including file includes the ui_ headers it uses first.
#include "hire_lend/LendFixture.h"
#include "app/UnitPublic.h"
#include "hire/UnitChangeCar.h"
#include "platform/Errors.h"
#include "registers/UnitNewCust.h"
#include <QListWidget>

class ModFixture : public LendFixture {
protected:
    // Opens the desk on the open-hire page, runs fn, closes it.
    void withModPage(const std::function<void()>& fn)
    {
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        withDesk(fn);
    }

    // A vehicle already out on hire.
    void addHiredCar(const QString& id, int odograph)
    {
        addCar(id, odograph);
        exec(u"UPDATE Car SET State='B' WHERE CarID=:id"_s, {{"id", id}});
    }
    // A hire by the day, 9:00 on the 8th to 9:00 on the 10th at 150 a day.
    qint64 addOpenHire(const QString& car, const QString& cust, const QVariant& prepay = money(5000000), int odo = 10000)
    {
        return addHire(car, cust, 0, at(8, 9), at(10, 9), 1500000, 200, 8000, prepay, odo);
    }

    bool selectHire(qint64 key) { return frmLend->ADOMod->locate(u"LeasoID"_s, key); }
    QStringList listedCars()
    {
        QStringList cars;
        const int col = frmLend->ADOMod->fieldIndex(u"CarID"_s);
        for (int r = 0; r < frmLend->ADOMod->recordCount(); ++r) cars << frmLend->ADOMod->textAt(r, col);
        return cars;
    }

    // Clicks the line of plate in the picker's list.
    static void pickLine(const QString& plate)
    {
        QListWidget* list = frmChangeCar->ui->LstNewCar;
        const QList<QListWidgetItem*> found = list->findItems(plate, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << plate.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        ASSERT_EQ(frmChangeCar->NewCar(), plate);
    }
    // 换车 on the selected hire, choosing plate in the picker.
    void changeTo(const QString& plate)
    {
        whenShown(frmChangeCar, [plate] {
            pickLine(plate);
            QTest::mouseClick(frmChangeCar->ui->Button1, Qt::LeftButton);
        });
        click(u()->BtnChangeCar);
        EXPECT_FALSE(frmChangeCar->isVisible());
    }

    // Every row of the tables a change of vehicle touches, as one text.
    QString snapshot()
    {
        QStringList rows;
        TStatement st(db(), u"SELECT 'L', LeasoID, CarID, ChangeCar, EndTime FROM Leaso UNION ALL "
                              "SELECT 'C', CarID, State, Odograph, NULL FROM Car UNION ALL "
                              "SELECT 'X', LeasoID, OldCarID, NewCarID, NULL FROM ChangeCar ORDER BY 1, 2"_s);
        while (st.next()) {
            QStringList cells;
            for (int c = 0; c < st.columnCount(); ++c) cells << st.value(c).toString();
            rows << cells.join(u'|');
        }
        return rows.join(u'\n');
    }
    // Every column of a hire, as one text.
    QString hireRow(qint64 id)
    {
        TStatement st(db(), u"SELECT * FROM Leaso WHERE LeasoID=:id"_s, {{"id", id}});
        QStringList cells;
        if (st.next())
            for (int c = 0; c < st.columnCount(); ++c) cells << st.columnName(c) + u'=' + st.value(c).toString();
        return cells.join(u'|');
    }
    QStringList changeLog()
    {
        QStringList rows;
        TStatement st(db(), u"SELECT LeasoID, OldCarID, NewCarID FROM ChangeCar ORDER BY ID"_s);
        while (st.next()) rows << u"%1:%2>%3"_s.arg(st.value(0).toString(), st.value(1).toString(), st.value(2).toString());
        return rows;
    }
};
