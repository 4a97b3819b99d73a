#include "common/UnitPublic.h"
#include "platform/Transaction.h"
#include "platform/Handler.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
#include "common/UnitPhoto.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Look.h"
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

static void initLeasoResources() { Q_INIT_RESOURCE(leaso); }

void InitResources()
{
    static bool done = false;
    if (!done) { initLeasoResources(); done = true; }
}

const QVector<PricingUnit>& PricingUnits()
{
    static const QVector<PricingUnit> units = {
        {0, QStringLiteral("按天"), QStringLiteral("天"), QStringLiteral("每天租金(元)："), QStringLiteral("每天限程：")},
        {1, QStringLiteral("包月"), QStringLiteral("月"), QStringLiteral("每月租金(元)："), QStringLiteral("每月限程：")},
        {2, QStringLiteral("按小时"), QStringLiteral("小时"), QStringLiteral("小时租金(元)："), QStringLiteral("小时限程：")},
    };
    return units;
}

const PricingUnit* PricingUnitByCode(qint64 code)
{
    for (const PricingUnit& u : PricingUnits())
        if (u.code == code) return &u;
    return nullptr;
}

const PricingUnit* PricingUnitByText(const QString& text)
{
    for (const PricingUnit& u : PricingUnits())
        if (u.text == text) return &u;
    return nullptr;
}

QStringList PricingUnitTexts()
{
    QStringList texts;
    for (const PricingUnit& u : PricingUnits()) texts << u.text;
    return texts;
}

QString LeasoTypeStr(qint64 code)
{
    const PricingUnit* u = PricingUnitByCode(code);
    return u ? u->text : QString();
}

void CalcLeasoTypeStr(TDataSet& ds)
{
    const TField code = ds.fieldByName(QStringLiteral("LeasoType"));
    // A code stored as text (by another tool) names no unit, as an unknown number does.
    const QVariant v = code.value();
    ds.fieldByName(QStringLiteral("LeasoTypeStr")).setValue(
        v.isNull() || v.userType() == QMetaType::QString ? QString() : LeasoTypeStr(code.asInteger()));
}

void OpenByKey(TDataSet* ds, const QString& sql, const QString& param, const QVariant& value)
{
    ds->close();
    ds->clearParams();
    ds->setSQL(sql);
    ds->setParam(param, value);
    ds->open();
}

QString LikeLiteral(const QString& text)
{
    QString r;
    r.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) r += QLatin1Char('\\');
        r += c;
    }
    return r;
}

void FillPickList(QComboBox* list, const QStringList& items)
{
    // In one step: a list of a hundred thousand names is filled in a moment.
    SetComboItems(list, items);
    list->setCurrentIndex(-1);
    if (list->isEditable()) list->setEditText(QString());
}

QString CarStateText(const QString& letter)
{
    const QString l = letter.trimmed().toUpper();
    if (l == QLatin1String("A")) return QStringLiteral("空闲");
    if (l == QLatin1String("B")) return QStringLiteral("出租");
    if (l == QLatin1String("C")) return QStringLiteral("预定");
    if (l == QLatin1String("D")) return QStringLiteral("停租");
    return {};
}

bool EnsureDatabaseFile(const QString& fileName)
{
    if (QFileInfo::exists(fileName)) return false;
    InitResources();
    QFile schema(QStringLiteral(":/db/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly)) throw EDatabaseError(QStringLiteral("缺少数据库结构文件"));
    const QByteArray sql = schema.readAll();
    // Built under a temporary name and renamed, so a half-made file never stands.
    const QString tmp = fileName + QStringLiteral(".new");
    QFile::remove(tmp);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(tmp.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : "?");
        sqlite3_close(db);
        throw EDatabaseError(QStringLiteral("无法创建数据库文件“%1”：%2").arg(fileName, msg));
    }
    char* err = nullptr;
    const QByteArray all = "PRAGMA journal_mode=DELETE; BEGIN; " + sql + "\nCOMMIT;";
    if (sqlite3_exec(db, all.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        sqlite3_close(db);
        QFile::remove(tmp);
        throw EDatabaseError(QStringLiteral("无法创建数据库文件“%1”：%2").arg(fileName, msg));
    }
    sqlite3_close(db);
    if (!QFile::rename(tmp, fileName)) {
        QFile::remove(tmp);
        throw EDatabaseError(QStringLiteral("无法创建数据库文件“%1”").arg(fileName));
    }
    return true;
}

void EnsureAcctTable(TADOConnection& cn)
{
    for (const QString& name : cn.tableNames(true))
        if (name.toLower() == QLatin1String("acct")) return;
    cn.execute(QStringLiteral(
        "Create table [ACCT](ID INTEGER PRIMARY KEY AUTOINCREMENT, type Integer, Amount Currency, LeasoID integer,"
        "Item varchar(255) COLLATE NOCASE,AcctTime DateTime,Deleted smallint, category varchar(40) COLLATE NOCASE)"));
}

QStringList ProgramTables()
{
    return {QStringLiteral("Car"), QStringLiteral("Customer"), QStringLiteral("PriceList"), QStringLiteral("Leaso"),
            QStringLiteral("CarCost"), QStringLiteral("ChangeCar"), QStringLiteral("Config")};
}

const QList<SchemaIndex>& SchemaIndexes()
{
    // The same indexes as the empty database has; a file made before one of
    // them was added gets it from EnsureSchema.
    static const QList<SchemaIndex> indexes = {
        {QStringLiteral("Car_State"), QStringLiteral("Car"), QStringLiteral("State")},
        {QStringLiteral("Customer_Name"), QStringLiteral("Customer"), QStringLiteral("CustName")},
        {QStringLiteral("Customer_BankCard"), QStringLiteral("Customer"), QStringLiteral("BankCard")},
        {QStringLiteral("Leaso_CarID"), QStringLiteral("Leaso"), QStringLiteral("CarID")},
        {QStringLiteral("Leaso_CustID"), QStringLiteral("Leaso"), QStringLiteral("CustID")},
        {QStringLiteral("Leaso_BeginTime"), QStringLiteral("Leaso"), QStringLiteral("BeginTime")},
        {QStringLiteral("Leaso_EndTime"), QStringLiteral("Leaso"), QStringLiteral("EndTime")},
        {QStringLiteral("Leaso_ChargeTime"), QStringLiteral("Leaso"), QStringLiteral("ChargeTime")},   // the hires waiting for settlement
        {QStringLiteral("CarCost_CarID"), QStringLiteral("CarCost"), QStringLiteral("CarID")},
        {QStringLiteral("ChangeCar_LeasoID"), QStringLiteral("ChangeCar"), QStringLiteral("LeasoID")},
        {QStringLiteral("Acct_LeasoID"), QStringLiteral("Acct"), QStringLiteral("LeasoID")},
        {QStringLiteral("Acct_AcctTime"), QStringLiteral("Acct"), QStringLiteral("AcctTime")},
    };
    return indexes;
}

bool EnsureSchema(TADOConnection& cn)
{
    QStringList have, tables;
    {
        TStatement st(cn, QStringLiteral("SELECT lower(name), type FROM sqlite_master WHERE type IN ('table','index')"));
        while (st.next()) {
            have << st.value(0).toString();
            if (st.value(1).toString() == QLatin1String("table")) tables << st.value(0).toString();
        }
    }
    QList<SchemaIndex> missing;
    for (const SchemaIndex& ix : SchemaIndexes())
        if (!have.contains(ix.name.toLower())) missing << ix;
    // The marks of photo changes: their table, and the marks of changes that are over.
    const QStringList stalePhotoMarks = StalePhotoMarks(cn);
    // An index or view under a table's name is no table: making it then refuses the file.
    if (tables.contains(QStringLiteral("acct")) && missing.isEmpty() && tables.contains(QStringLiteral("photochange"))
        && stalePhotoMarks.isEmpty())
        return false;

    TTransaction tr(cn);
    EnsureAcctTable(cn);
    PreparePhotoMarks(cn, stalePhotoMarks);
    for (const SchemaIndex& ix : missing)
        cn.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2(%3)").arg(ix.name, ix.table, ix.column));
    tr.commit();
    return true;
}

void NoRecordNotice(QWidget* owner, const TDataSet& list, const QString& listName, const QString& emptyText)
{
    if (!list.active())
        Dlg::Notice(owner, QStringLiteral("无法读取%1，不能进行这个操作。请关闭这个窗口后重新打开再试。").arg(listName));
    else if (!emptyText.isEmpty())
        Dlg::Notice(owner, emptyText);
}

std::optional<QString> ReadConfig(TADOConnection& cn, const QString& item)
{
    TStatement st(cn, StartupSql::ConfigValue, {{QStringLiteral("item"), item}});
    if (st.next()) return st.value(0).toString();
    return std::nullopt;
}

void WriteConfig(TADOConnection& cn, const QString& item, const QString& value)
{
    TTransaction tr(cn);
    cn.execute(QStringLiteral("Delete from [Config] where Item=:item"), {{QStringLiteral("item"), item}});
    cn.execute(QStringLiteral("Insert Into [Config]([Item],[value]) Values(:item,:value)"),
               {{QStringLiteral("item"), item}, {QStringLiteral("value"), value}});
    tr.commit();
}

QString HelpPageUrl() { return QUrl::fromLocalFile(AppDir() + QStringLiteral("help/index.html")).toString(); }
QString HomePageUrl() { return HelpPageUrl(); }
QString ContactMailUrl()
{
    return QStringLiteral("mailto:support@quorvane.example?subject=%1").arg(QString::fromUtf8(QUrl::toPercentEncoding(QStringLiteral("汽车租赁管理系统咨询"))));
}

void OpenTrafficQueryPage() { Dlg::OpenUrl(QStringLiteral("https://gab.122.gov.cn/")); }

DeleteOutcome DeleteUnlessHired(QWidget* owner, const QString& table, const QString& keyField, const QString& key,
                                const std::function<void()>& reread, const QString& photoDir)
{
    bool hired = false;
    const bool done = WriteUnlessChanged(owner, [&] {
        TADOConnection& cn = AppConnection();
        // The photo goes with the row, also when the program stops half-way.
        TStagedPhoto photo(photoDir, TStagedPhoto::Action::Remove);
        {
            TTransaction tr(cn);
            {
                TStatement st(cn, QStringLiteral("SELECT * FROM LEASO WHERE %1=:key").arg(keyField), {{QStringLiteral("key"), key}});
                hired = st.next();
            }
            if (hired) return;
            ExpectOneRow(cn.execute(QStringLiteral("Delete FROM %1 WHERE %2=:key").arg(table, keyField), {{QStringLiteral("key"), key}}));
            if (!photoDir.isEmpty()) photo.commitTo(key, QString(), &cn);
            tr.commit();
        }
        photo.keep();
    }, reread);
    if (!done) return DeleteOutcome::Changed;
    return hired ? DeleteOutcome::Hired : DeleteOutcome::Deleted;
}

void DeleteRegisterRecord(QWidget* owner, const RegisterDeletion& d, const std::function<void()>& reread)
{
    const DeleteOutcome outcome = DeleteUnlessHired(owner, d.table, d.keyField, d.key, reread,
                                                    d.storedPhotoShown ? d.photoDir : QString());
    if (outcome == DeleteOutcome::Changed) return;
    if (outcome == DeleteOutcome::Hired) {
        Dlg::Notice(owner, d.hiredText);
        return;
    }
    Dlg::Notice(owner, d.doneText);
    reread();
}
