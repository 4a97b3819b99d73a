// Times opening a dataset and a grid over many hires (not a test).
// Usage: bench_dataset [ROWS]   (default 100000)
#include "app/UnitPublic.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Moment.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 100000;
    QTemporaryDir tmp;
    const QString file = tmp.path() + QStringLiteral("/Leaso3.mdb");
    EnsureDatabaseFile(file);
    TADOConnection cn;
    cn.open(file);

    QElapsedTimer t;
    t.start();
    cn.beginTrans();
    const QDateTime base = CombineDateTime(QDate(2016, 1, 1), QTime(9, 0));
    for (int i = 0; i < rows; ++i) {
        const QDateTime b = base.addSecs(qint64(i) * 2400);
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, EndTime, BasicPrice, [Limit],"
                                  " AdditionalPrice, Prepay, Odograph1, Odograph2, Memo, CreateTime, Charge, ChargeTime)"
                                  " VALUES (:car, :cust, 0, :b, :p, :e, :price, 200, :add, :pre, :o1, :o2, :memo, :b, :charge, :e)"),
                   {{"car", QStringLiteral("京A%1").arg(i % 300, 5, 10, QLatin1Char('0'))},
                    {"cust", QStringLiteral("1101011980%1").arg(i % 5000, 8, 10, QLatin1Char('0'))},
                    {"b", b}, {"p", b.addDays(3)}, {"e", b.addDays(3).addSecs(3600)},
                    {"price", QVariant::fromValue(Currency::fromYuan(150))},
                    {"add", QVariant::fromValue(Currency::fromRaw(8000))},
                    {"pre", QVariant::fromValue(Currency::fromYuan(500))},
                    {"o1", 10000 + i}, {"o2", 10600 + i}, {"memo", QStringLiteral("备注 %1").arg(i)},
                    {"charge", QVariant::fromValue(Currency::fromYuan(610))}});
    }
    cn.commitTrans();
    std::printf("insert %d hires: %lld ms\n", rows, (long long)t.restart());

    TDataSet ds;
    ds.setConnection(&cn);
    ds.addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ds.onCalcFields = [](TDataSet& d) {
        d.fieldByName(QStringLiteral("LeasoTypeStr")).setValue(LeasoTypeStr(d.fieldByName(QStringLiteral("LeasoType")).asInteger()));
    };
    ds.setSQL(QStringLiteral("Select * from Leaso order by BeginTime"));
    ds.open();
    std::printf("open dataset (%d rows, calculated field): %lld ms\n", ds.recordCount(), (long long)t.restart());

    TDBGrid grid;
    grid.addColumn(QStringLiteral("LeasoID"), QStringLiteral("编号"), 50);
    grid.addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    grid.addColumn(QStringLiteral("LeasoTypeStr"), QStringLiteral("计价"), 50);
    grid.addColumn(QStringLiteral("BeginTime"), QStringLiteral("出租时间"), 130);
    grid.addColumn(QStringLiteral("Charge"), QStringLiteral("实收"), 60);
    grid.resize(800, 600);
    grid.setDataSet(&ds);
    grid.show();
    app.processEvents();
    std::printf("grid bound and painted: %lld ms\n", (long long)t.restart());

    ds.last();
    app.processEvents();
    std::printf("move to last row and repaint: %lld ms\n", (long long)t.restart());

    ds.close();
    ds.clearFieldDefs();
    ds.setSQL(QStringLiteral("Select CarID, count(*) as n, sum(Charge) as total from Leaso group by CarID"));
    ds.declareField(QStringLiteral("total"), FieldType::Currency);
    ds.open();
    std::printf("per-vehicle totals (%d vehicles, first %s yuan): %lld ms\n", ds.recordCount(),
                qPrintable(ds.fieldByName(QStringLiteral("total")).asString()), (long long)t.restart());
    return 0;
}
