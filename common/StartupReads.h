#pragma once
// The reads start-up runs on the data file after its table list: the main
// window's settings, the lists windows fill as they are made, the first alert
// build. The windows run these statements; a file is fit to be the program's
// data only when each of them runs on it, so a backup is checked with the same
// list before it is kept or restored.
#include <QList>
#include <QString>
#include <QStringList>

namespace StartupSql {
inline const QString AdminPassword =
    QStringLiteral("Select Value from config where Item='ADMINPASS' and (Value is not null) and Value<>''");
inline const QString AppName = QStringLiteral("Select Value from Config where Item='APPNAME'");
inline const QString ConfigValue = QStringLiteral("Select [Value] from Config Where ITEM=:item");
inline const QString CarIds = QStringLiteral("Select CARID from Car");
inline const QString CustNames = QStringLiteral("Select CustName from Customer");
inline const QString CostExpiries = QStringLiteral("Select CarID,Name,Max(EndTime) as EndTime from CarCost Group by CarID,Name");
inline const QString Birthdays = QStringLiteral("Select CustID,CustName from Customer where Len(CustID)=15 or Len(CustID)=18");
// The scheme picker's table, read whole in this order.
inline const QString SchemeTable = QStringLiteral("PriceList");
inline const QString SchemeOrder = QStringLiteral("PriceName");
} // namespace StartupSql

// One read: its statement (values bound null when checked) and the fields the
// windows take from its rows by name.
struct TStartupRead {
    QString sql;
    QStringList fields;
};
const QList<TStartupRead>& StartupReads();
