#include "common/StartupReads.h"

const QList<TStartupRead>& StartupReads()
{
    using namespace StartupSql;
    static const QList<TStartupRead> reads = {
        {AdminPassword, {QStringLiteral("Value")}},
        {AppName, {QStringLiteral("Value")}},
        {ConfigValue, {}},
        {CarIds, {}},
        {CustNames, {}},
        {QStringLiteral("SELECT * FROM [%1] ORDER BY %2").arg(SchemeTable, SchemeOrder),
         {QStringLiteral("PriceName"), QStringLiteral("LeasoType"), QStringLiteral("BasicPrice"), QStringLiteral("Limit"),
          QStringLiteral("AdditionalPrice")}},
        {CostExpiries, {}},
        {Birthdays, {}},
    };
    return reads;
}
