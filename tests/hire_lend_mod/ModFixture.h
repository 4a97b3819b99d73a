#pragma once
// The hire desk opened on its open-hire page, over hires set up by SQL.
// The including file includes the ui_ headers it uses first.
#include "hire_lend/LendFixture.h"
#include "hire/UnitChangeCar.h"
#include "platform/Errors.h"
#include <QListWidget>

class ModFixture : public LendFixture {
protected:
    void withModPage(const std::function<void()>& fn)
    {
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        withDesk(fn);
    }
    void addHiredCar(const QString& id, int odograph)
    {
        addCar(id, odograph);
        exec(u"UPDATE Car SET State='B' WHERE CarID=:id"_s, {{"id", id}});
    }
    // By the day, 9:00 on the 8th to 9:00 on the 10th at 150 a day, 500 prepaid.
    qint64 addOpenHire(const QString& car, const QString& cust)
    {
        return addHire(car, cust, 0, at(8, 9), at(10, 9), 1500000, 200, 8000, money(5000000), 10000);
    }

    bool selectHire(qint64 key) { return frmLend->ADOMod->locate(u"LeasoID"_s, key); }
    QStringList listedCars()
    {
        QStringList cars;
        for (int r = 0; r < frmLend->ADOMod->recordCount(); ++r) cars << frmLend->ADOMod->textAt(r, frmLend->ADOMod->fieldIndex(u"CarID"_s));
        return cars;
    }

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
