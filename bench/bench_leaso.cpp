// The benchmark (not a test): the program's time beside the time of its raw
// statements through the SQLite C API, in the same process on the same file,
// for start-up, each built window's opening and each write command, and the
// account book's export beside libxlsxwriter alone, on large seeded
// databases. See README.md, "Benchmark".
//
//   bench_leaso [--hires 10000,100000,1000000] [--runs 7] [--seed N] [--data DIR]
//   bench_leaso --photo [--runs 3]       a 6000 x 6000 JPEG stored as a photo
//
// The databases are made once into DIR (default: bench-data beside the
// program) and copied for every run, so a run never changes them.
#include "bench/BenchData.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "common/AppContext.h"
#include "common/UnitPhoto.h"
#include "common/UnitPublic.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitReport.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitPrint.h"
#include "hire/UnitReturn.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Look.h"
#include "platform/Moment.h"
#include "registers/UnitCar.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitAcct.h"
#include "ui_UnitCharge.h"
#include "ui_UnitLend.h"
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitReport.h"
#include "ui_UnitReturn.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>
#include <vector>

namespace {

using Clock = QElapsedTimer;

double ms(const Clock& c) { return c.nsecsElapsed() / 1e6; }

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A line of /proc/self/status in KiB: "VmHWM:" the peak, "VmRSS:" the present.
long statusKiB(const char* key = "VmHWM:")
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// ---- raw statements: prepare, bind, step every row and read every value ----

using RawParams = std::vector<std::pair<const char*, QByteArray>>;   // ":name" -> text ("#" prefix: integer)

struct Raw {
    sqlite3* db;
    long rows = 0;
    uint64_t sink = 0;

    void run(const char* sql, const RawParams& params = {})
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) fail(sql);
        for (const auto& [name, value] : params) {
            const int i = sqlite3_bind_parameter_index(st, name);
            if (value.startsWith('#')) sqlite3_bind_int64(st, i, value.mid(1).toLongLong());
            else if (value.startsWith('~')) sqlite3_bind_double(st, i, value.mid(1).toDouble());
            else sqlite3_bind_text(st, i, value.constData(), value.size(), SQLITE_TRANSIENT);
        }
        const int n = sqlite3_column_count(st);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < n; ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER: sink += uint64_t(sqlite3_column_int64(st, c)); break;
                case SQLITE_FLOAT: sink += uint64_t(sqlite3_column_double(st, c)); break;
                case SQLITE_NULL: break;
                default: sink += uint64_t(sqlite3_column_bytes(st, c)) + uint8_t(*sqlite3_column_text(st, c)); break;
                }
            }
        }
        if (rc != SQLITE_DONE) fail(sql);
        sqlite3_finalize(st);
    }
    [[noreturn]] void fail(const char* sql)
    {
        std::fprintf(stderr, "raw statement failed: %s\n%s\n", sqlite3_errmsg(db), sql);
        std::exit(3);
    }
};

// ---- one case: the program's action beside its raw statements ----

struct Case {
    QString name;
    std::function<void()> prepare;            // untimed, before each run of either side
    std::function<void()> program;
    std::function<void(Raw&)> raw;
};

struct Result { QString name; double program; double raw; long rows; };

Result measure(const Case& c, sqlite3* db, int runs)
{
    std::vector<double> p, r;
    long rows = 0;
    // One untimed run of each side first: the windows' first show and the caches.
    for (int i = 0; i <= runs; ++i) {
        if (c.prepare) c.prepare();
        Clock t;
        t.start();
        c.program();
        const double pt = ms(t);
        if (c.prepare) c.prepare();
        Raw raw{db};
        t.restart();
        if (c.raw) c.raw(raw);
        const double rt = ms(t);
        if (i == 0) continue;
        p.push_back(pt);
        r.push_back(rt);
        rows = raw.rows;
    }
    return {c.name, median(p), median(r), rows};
}

void printRow(int hires, const QString& name, double program, double raw, long rows)
{
    const QByteArray n = name.toUtf8();
    // Chinese names are two columns wide on a terminal; pad by display width.
    int width = 0;
    for (QChar ch : name) width += ch.unicode() >= 0x2e80 ? 2 : 1;
    std::printf("%9d  %s%*s %10.2f %9.2f %7s %8s\n", hires, n.constData(), std::max(0, 34 - width), "",
                program, raw, raw > 0.005 ? qPrintable(QString::number(program / raw, 'f', 2)) : "-",
                rows >= 0 ? qPrintable(QString::number(rows)) : "");
    std::fflush(stdout);
}

// ---- the windows of the program ----

void answerEveryBox()
{
    auto& h = Dlg::hooks();
    static const bool verbose = qEnvironmentVariableIsSet("BENCH_VERBOSE");
    h.message = [](const Dlg::MessageCall& c) {
        if (verbose) std::fprintf(stderr, "box: %s\n", qPrintable(c.text));
        return c.buttons == Dlg::Buttons::YesNo ? int(Dlg::IdYes) : int(Dlg::IdOK);
    };
    h.printers = [] { return QStringList{QStringLiteral("bench")}; };
    h.printPreview = [](const QString&, const std::function<void(QPrinter&)>&) {};
    h.printDirect = [](const QString&, const std::function<void(QPrinter&)>&) {};
    h.openUrl = [](const QString&) {};
    h.beep = [](int, int) {};
}

// A window opened as the main window opens it, without its modal loop: the
// show handlers run, the lists are read and the grids reset. Painting is
// not counted here.
void openAndClose(QWidget* w)
{
    w->show();
    w->hide();
}

QByteArray text(const QVariant& v) { return v.toString().toUtf8(); }

// The statements start-up runs: the scheme picker's table, the statistics
// window's vehicle and customer-name lists, the alert build, the settings.
void rawStartup(Raw& r)
{
    r.run("Select Value from config where Item='ADMINPASS' and (Value is not null) and Value<>''");
    r.run("Select Value from Config where Item='APPNAME'");
    r.run("SELECT * FROM [PriceList] ORDER BY PriceName");
    r.run("Select CARID from Car");
    r.run("Select CustName from Customer");
    r.run("Select CarID,Name,Max(EndTime) as EndTime from CarCost Group by CarID,Name");
    r.run("Select CustID,CustName from Customer where Len(CustID)=15 or Len(CustID)=18");
}

void exportCase(int hires, int runs, const QString& dir);

int runWindows(const QString& dir, int hires, int runs, double startup, double bare)
{
    // The windows work at the data's present, as on the day the data end.
    SetClockHook([] { return BenchPresent(); });
    SetAppDir(dir);
    answerEveryBox();
    if (!CreateForms()) return 2;
    frmMain->show();
    QCoreApplication::processEvents();
    TADOConnection& cn = AppConnection();
    sqlite3* db = cn.handle();

    const QByteArray freeCars = "Select * from Car where State='A'";
    const QByteArray openHires = "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is null) "
                                 "and Leaso.CustID=Customer.CustID order by PlanEndTime";
    const QByteArray openHiresReload = "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is null) "
                                       "and Leaso.CustID=Customer.CustID ";
    const QByteArray unsettled = "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is not null) "
                                 "and (ChargeTime is null) and Leaso.CustID=Customer.CustID ";
    const QByteArray acctInsert = "Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
                                  "Values(1,:amount,:id,:item,Now(),0,'租车款')";
    const QByteArray someHire = QByteArray::number(cn.scalar(QStringLiteral("select max(LeasoID) / 2 from Leaso")).toLongLong());
    const QString someCust = cn.scalar(QStringLiteral("select CustID from Customer limit 1 offset 777")).toString();
    const QString someName = cn.scalar(QStringLiteral("select CustName from Customer where CustID=:c"), {{"c", someCust}}).toString();
    int serial = 0;
    // The rows the raw side changes, chosen before it is timed.
    QByteArray rawCar, rawKey;
    auto chooseHire = [&](const char* where) {
        // The last such hire: the window works on the first one of its list.
        const qint64 id = cn.scalar(QStringLiteral("select max(LeasoID) from Leaso where %1").arg(QLatin1String(where))).toLongLong();
        rawKey = "#" + QByteArray::number(id);
        rawCar = text(cn.scalar(QStringLiteral("select CarID from Leaso where LeasoID=:id"), {{"id", id}}));
    };

    std::vector<Case> cases;
    // Openings.
    cases.push_back({QStringLiteral("打开 租车 (空闲车辆)"), nullptr, [] { openAndClose(frmLend); },
                     [&](Raw& r) { r.run(freeCars); }});
    cases.push_back({QStringLiteral("打开 还车 (未还出租)"), nullptr, [] { openAndClose(frmReturn); },
                     [&](Raw& r) { r.run(openHires); }});
    cases.push_back({QStringLiteral("打开 结算 (待结算)"), nullptr, [] { openAndClose(frmCharge); },
                     [&](Raw& r) { r.run(unsettled); }});
    cases.push_back({QStringLiteral("打开 租赁方案"), nullptr, [] { openAndClose(frmPrice); },
                     [&](Raw& r) { r.run("Select * from PriceList"); }});
    cases.push_back({QStringLiteral("打开 选择方案"), nullptr, [] { openAndClose(frmSelectScheme); },
                     [&](Raw& r) { r.run("SELECT * FROM [PriceList] ORDER BY PriceName"); }});
    cases.push_back({QStringLiteral("打开 车辆新增"), nullptr, [] { openAndClose(frmNewCar); },
                     [&](Raw& r) {
                         r.run("Select distinct style from car Where (Style is not null) and Style<>'' ");
                         r.run("Select distinct mark from car where (mark is not null) and mark<>'' ");
                         r.run("Select distinct Color from car where (Color is not null) and Color<>''");
                     }});
    cases.push_back({QStringLiteral("打开 车辆信息"), nullptr, [] { openAndClose(frmCar); },
                     [&](Raw& r) {
                         r.run("Select distinct mark from car");
                         r.run("Select distinct style from car");
                         r.run("Select distinct Color from car");
                         r.run("select * from Car");
                     }});
    cases.push_back({QStringLiteral("打开 客户信息"), nullptr, [] { openAndClose(frmCust); },
                     [&](Raw& r) { r.run("Select * from customer"); }});
    // The account book: its opening shows the last thirty days; a year is
    // the same query over the pickers set a year apart.
    const QDate today = NowMoment().date();
    auto dayParam = [](const QDate& d) { return "~" + QByteArray::number(DateToDays(d), 'f', 1); };
    const QByteArray live = "(Deleted<>1 or Deleted is null)";
    auto rawAcctRange = [=](Raw& r, const QDate& from, const QDate& to) {
        const QByteArray range = live + " And AcctTime >= :from And AcctTime < :to";
        const RawParams p{{":from", dayParam(from)}, {":to", dayParam(to.addDays(1))}};
        r.run("Select sum(case when Amount < '' then Amount end), count(case when Amount >= '' then 1 end)"
              " from [Acct] where [Type]=1 and " + range, p);
        r.run("Select sum(case when Amount < '' then Amount end), count(case when Amount >= '' then 1 end)"
              " from [Acct] where [Type]=-1 and " + range, p);
        r.run("Select * from [Acct] where " + range + " Order By [AcctTime] DESC, ID", p);
    };
    cases.push_back({QStringLiteral("打开 帐本 (一月)"), nullptr, [] { openAndClose(frmAcct); },
                     [=](Raw& r) {
                         // The category lists of the entry page are read on every opening.
                         r.run("Select distinct [Category] from [Acct] Where Type=-1 and " + live);
                         r.run("Select distinct [Category] from [Acct] Where Type=1 and " + live);
                         rawAcctRange(r, today.addDays(-30), today);
                     }});
    cases.push_back({QStringLiteral("帐本 查询 (一年)"),
                     [=] {
                         frmAcct->ui->DateTimePicker1->setDate(today.addDays(-365));
                         frmAcct->ui->DateTimePicker2->setDate(today);
                     },
                     [] { frmAcct->BtnQryClick(); },
                     [=](Raw& r) { rawAcctRange(r, today.addDays(-365), today); }});

    // The statistics lists over a year, one vehicle's hires and the hires of
    // the customers whose name holds a piece of a name.
    // The statistics' totals add only values stored as numbers and count the others in the same scan.
    const QByteArray totalsColumns = "sum(case when charge < '' then charge end) as charge,count(*) as counts,"
        "Round(sum(case when EndTime < '' then EndTime-BeginTime end),2) as Time1,"
        "count(case when charge >= '' or EndTime >= '' then 1 end) as unread";
    const RawParams year{{":from", dayParam(today.addDays(-365))}, {":to", dayParam(today.addDays(1))}};
    const QString someCar = cn.scalar(QStringLiteral("select CarID from Leaso where LeasoID=(select max(LeasoID) / 3 from Leaso)")).toString();
    const QString namePiece = someName.left(2);
    cases.push_back({QStringLiteral("统计 车辆合计 (一年)"),
                     [=] {
                         frmReport->ui->Dt1->setDate(today.addDays(-365));
                         frmReport->ui->Dt2->setDate(today);
                     },
                     [] { frmReport->BtnQryClick(); },
                     [=](Raw& r) {
                         r.run("select carID," + totalsColumns + " from leaso where begintime >= :from and begintime < :to group by CarID", year);
                     }});
    cases.push_back({QStringLiteral("统计 车辆明细 (一辆)"), [=] { frmReport->ui->CmbCar->setEditText(someCar); },
                     [] { frmReport->BtnQry2Click(); },
                     [=](Raw& r) {
                         r.run("select leaso.*,CustName from leaso,Customer where Leaso.CustID=Customer.Custid and CarID=:car",
                               {{":car", someCar.toUtf8()}});
                     }});
    cases.push_back({QStringLiteral("统计 客户合计 (一年)"),
                     [=] {
                         frmReport->ui->Dt31->setDate(today.addDays(-365));
                         frmReport->ui->Dt32->setDate(today);
                     },
                     [] { frmReport->BtnQry3Click(); },
                     [=](Raw& r) {
                         r.run("select t.CustID,CustName,charge,counts,Time1,unread from (select CustID," + totalsColumns
                               + " from leaso where begintime >= :from and begintime < :to group by CustID) t,Customer"
                                 " where t.CustID=Customer.CustID", year);
                     }});
    cases.push_back({QStringLiteral("统计 客户明细 (姓名片段)"), [=] { frmReport->ui->CmbCust->setEditText(namePiece); },
                     [] { frmReport->BtnQry4Click(); },
                     [=](Raw& r) {
                         r.run("select leaso.CustID,CustName,CarID,BeginTime,EndTime,Charge,ChargeTime,Leaso.LeasoID,Leaso.Memo"
                               " from Customer cross join leaso where Leaso.CustID=Customer.Custid  and CustName like :pat escape '\\'",
                               {{":pat", "%" + namePiece.toUtf8() + "%"}});
                     }});
    cases.push_back({QStringLiteral("打开 新客户建档"), nullptr, [] { openAndClose(frmNewCust); }, nullptr});
    cases.push_back({QStringLiteral("打开 租单"), [&] { frmPrint->PrintLeasoID = QString::fromLatin1(someHire); },
                     [] { openAndClose(frmPrint); },
                     [&](Raw& r) {
                         r.run("Select leaso.*,CustName,Tel,BankCard,BankCard_Memo from Leaso left join customer "
                               "on Leaso.custID=Customer.CustID where LeasoID=:LeasoID", {{":LeasoID", "#" + someHire}});
                     }});

    // Commands.
    cases.push_back({QStringLiteral("查询客户 (证件号)"),
                     [&] { frmLend->ui->EdtCustID->setText(someCust); frmLend->ui->EdtCustName->clear(); frmLend->ui->EdtBankCard->clear(); },
                     [] { frmLend->BtnQryCustClick(); },
                     [&](Raw& r) { r.run("Select * from Customer where CustID=:N", {{":N", someCust.toUtf8()}}); }});
    cases.push_back({QStringLiteral("查询客户 (姓名片段, 选择)"),
                     [&] { frmLend->ui->EdtCustID->clear(); frmLend->ui->EdtBankCard->clear(); frmLend->ui->EdtCustName->setText(someName.right(1)); },
                     [] {
                         QTimer::singleShot(0, frmSelCust, [] { frmSelCust->reject(); });
                         frmLend->BtnQryCustClick();
                     },
                     [&](Raw& r) {
                         r.run("Select * from Customer where CustName=:M", {{":M", someName.right(1).toUtf8()}});
                         r.run("Select * from Customer where CustName like '%' || :M || '%' ESCAPE '\\'", {{":M", someName.right(1).toUtf8()}});
                     }});

    cases.push_back({QStringLiteral("租出"),
                     [&] {
                         rawCar = text(cn.scalar(QStringLiteral("select CarID from Car where State='A' order by rowid desc limit 1")));
                         frmLend->ui->EdtCustID->setText(someCust);
                         frmLend->ui->EdtCustName->setText(someName);
                         frmLend->ui->EdtPrice->setText(QStringLiteral("180"));
                         frmLend->ui->EdtLimit->setText(QStringLiteral("300"));
                     },
                     [] { frmLend->BtnLendClick(); },
                     [&](Raw& r) {
                         const QByteArray car = rawCar;
                         r.run("Select * from [Customer] Where CustID=:CustID", {{":CustID", someCust.toUtf8()}});
                         r.run("BEGIN IMMEDIATE");
                         r.run("INSERT INTO Leaso (CarID, BeginTime, PlanEndTime, CustID, LeasoType, BasicPrice, [Limit], Odograph1,"
                               " Memo, AdditionalPrice, CreateTime) VALUES (:car, :b, :p, :cust, 0, 1800000, 300, 12000, '', 0, :b)",
                               {{":car", car}, {":b", "~46090.5"}, {":p", "~46091.5"}, {":cust", someCust.toUtf8()}});
                         r.run("Update Car Set State='B',Odograph=12000 where CarID=:CarID", {{":CarID", car}});
                         r.run("COMMIT");
                         r.run(freeCars);
                     }});
    auto rawReturn = [&](Raw& r, bool settle) {
        r.run("BEGIN IMMEDIATE");
        if (settle)
            r.run("Update Leaso set ChargeTime=Now(),Charge=:charge,EndTime=:end,[Memo]=:memo where LeasoID=:id",
                  {{":charge", "#5000000"}, {":end", "~46090.6"}, {":memo", ""}, {":id", rawKey}});
        else
            r.run("Update Leaso set EndTime=:end,[Memo]=:memo where LeasoID=:id", {{":end", "~46090.6"}, {":memo", ""}, {":id", rawKey}});
        r.run("Update Car set State='A' where CarID=:car", {{":car", rawCar}});
        if (settle) r.run(acctInsert, {{":amount", "#5000000"}, {":id", rawKey}, {":item", rawCar + "租车款"}});
        r.run("COMMIT");
        r.run(openHiresReload);
    };
    cases.push_back({QStringLiteral("还车"), [&] { frmReturn->ui->EdtOdograph->clear(); chooseHire("EndTime is null"); },
                     [] { frmReturn->BtnReturnClick(); }, [&](Raw& r) { rawReturn(r, false); }});
    cases.push_back({QStringLiteral("还车并结算"),
                     [&] { frmReturn->ui->EdtOdograph->clear(); frmReturn->ui->EdtLeaso->setText(QStringLiteral("500")); chooseHire("EndTime is null"); },
                     [] { frmReturn->BtnReturnChargeClick(); }, [&](Raw& r) { rawReturn(r, true); }});
    cases.push_back({QStringLiteral("结算"),
                     [&] { frmCharge->ui->EdtLeaso->setText(QStringLiteral("500")); chooseHire("EndTime is not null and ChargeTime is null"); },
                     [] { frmCharge->Button1Click(); },
                     [&](Raw& r) {
                         r.run("BEGIN IMMEDIATE");
                         r.run("Update Leaso set ChargeTime=Now(),Charge=:charge,EndTime=:end,[Memo]=:memo where LeasoID=:id",
                               {{":charge", "#5000000"}, {":end", "~46090.6"}, {":memo", ""}, {":id", rawKey}});
                         r.run(acctInsert, {{":amount", "#5000000"}, {":id", rawKey}, {":item", rawCar + "租车款"}});
                         r.run("COMMIT");
                         r.run(unsettled);
                     }});
    cases.push_back({QStringLiteral("车辆新增 保存"),
                     [&] { frmNewCar->ui->EdtNewCarID->setText(QStringLiteral("测A%1").arg(++serial)); },
                     [] { frmNewCar->BtnSaveNewCarClick(); },
                     [&](Raw& r) {
                         const QByteArray id = QStringLiteral("测A%1").arg(serial).toUtf8();
                         r.run("Select * from car where CarID=:CarID", {{":CarID", id}});
                         r.run("INSERT INTO [Car] ([CarID],[Style],[Mark],[Color],[Odograph],[Defend],[Description],[MotorID],[State],"
                               "[Pledge],[BuyDate],[CheckDate]) VALUES (:id,'轿车','大众','白',0,0,'','','A','',46090,46090)", {{":id", id}});
                     }});
    cases.push_back({QStringLiteral("新客户建档 保存"),
                     [&] {
                         frmNewCust->ui->EdtCustID->setText(QStringLiteral("B%1").arg(++serial));
                         frmNewCust->ui->EdtCustName->setText(QStringLiteral("测试"));
                     },
                     [] { frmNewCust->BitBtn1Click(); },
                     [&](Raw& r) {
                         const QByteArray id = QStringLiteral("B%1").arg(serial).toUtf8();
                         r.run("select * from customer where CustID=:CustID", {{":CustID", id}});
                         r.run("INSERT INTO [Customer] ([CustID],[CustName],[Tel],[Memo],[CardType],[Address],[BankCard],[BankCard_Memo])"
                               " VALUES (:id,'测试','','','身份证','','','')", {{":id", id}});
                     }});
    cases.push_back({QStringLiteral("租赁方案 新增"), [&] { ++serial; },
                     [&] {
                         QTimer::singleShot(0, frmNewPrice, [&] {
                             frmNewPrice->ui->EdtPriceName->setText(QStringLiteral("测试方案%1").arg(serial));
                             frmNewPrice->SetRadioGroup1ItemIndex(0);
                             frmNewPrice->ui->EdtBasicPrice->setText(QStringLiteral("150"));
                             frmNewPrice->ui->EdtLimit->setText(QStringLiteral("200"));
                             frmNewPrice->BitBtn1Click();
                         });
                         frmPrice->BtnNewPriceClick();
                     },
                     [&](Raw& r) {
                         const QByteArray name = QStringLiteral("测试方案R%1").arg(serial).toUtf8();
                         r.run("Select * from PriceList where priceName=:name", {{":name", name}});
                         r.run("INSERT INTO [PriceList] ([LeasoType],[PriceName],[Limit],[BasicPrice]) VALUES (0,:name,200,1500000)",
                               {{":name", name}});
                     }});

    // Start-up beside a bare window with the statements of start-up added.
    {
        std::vector<double> t;
        for (int i = 0; i <= runs; ++i) {
            Raw raw{db};
            Clock c;
            c.start();
            rawStartup(raw);
            if (i > 0) t.push_back(ms(c));
        }
        printRow(hires, QStringLiteral("启动 (对比空白窗口+启动语句)"), startup, bare + median(t), -1);
    }

    openAndClose(frmPrice);   // the scheme register's list is open while a scheme is added
    for (const Case& c : cases) {
        const Result r = measure(c, db, runs);
        printRow(hires, r.name, r.program, r.raw, c.raw ? r.rows : -1);
    }
    exportCase(hires, runs, dir);
    std::printf("%9d  peak memory %ld MiB\n", hires, statusKiB() / 1024);
    DestroyForms();
    return 0;
}

// ---- the export of the account book, each side in a child process ----

// What a child reports: its timed part, its memory just before it, the rows written.
struct ChildReport { double ms = -1; long startKiB = 0; long rows = 0; };
template <class Report> struct ChildResult { Report report; long peakKiB = 0; };

// Runs fn in a forked child, so that each side's peak is its own: the child
// starts as a copy of this process, and its peak comes back through wait4.
// Report is a plain struct, passed back through a pipe.
template <class Report>
ChildResult<Report> inChild(const std::function<Report()>& fn)
{
    ChildResult<Report> out;
    int fds[2];
    if (::pipe(fds) != 0) return out;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const Report r = fn();
        if (::write(fds[1], &r, sizeof r) != sizeof r) ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    if (pid < 0) { ::close(fds[0]); return out; }
    if (::read(fds[0], &out.report, sizeof out.report) != sizeof out.report) out.report = {};
    ::close(fds[0]);
    int status = 0;
    rusage ru{};
    if (::wait4(pid, &status, 0, &ru) == pid) out.peakKiB = ru.ru_maxrss;
    return out;
}

// The cells the account book exports, written by libxlsxwriter alone in its
// constant-memory mode: its rows read first through the SQLite C API, then
// the same values of the same kinds (the day as a dated number, the signed
// amount, the texts).
ChildReport rawAcctExport(const QString& dbFile, const QDate& from, const QDate& to, const QString& title, const QString& out)
{
    struct Row { int type; double day; bool hasDay; double amount; std::string category, item; };
    std::vector<Row> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    sqlite3_open_v2(dbFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, "Select [Type],AcctTime,Amount,Category,Item from [Acct] where (Deleted<>1 or Deleted is null)"
                               " And AcctTime >= :from And AcctTime < :to Order By [AcctTime] DESC, ID", -1, &st, nullptr) != SQLITE_OK)
        return {};
    sqlite3_bind_double(st, 1, DateToDays(from));
    sqlite3_bind_double(st, 2, DateToDays(to.addDays(1)));
    auto textOf = [&](int c) { const auto* t = sqlite3_column_text(st, c); return t ? std::string(reinterpret_cast<const char*>(t)) : std::string(); };
    while (sqlite3_step(st) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int(st, 0), std::floor(sqlite3_column_double(st, 1)), sqlite3_column_type(st, 1) != SQLITE_NULL,
                        double(sqlite3_column_int64(st, 2)) * sqlite3_column_int(st, 0) / 10000.0, textOf(3), textOf(4)});
    sqlite3_finalize(st);
    sqlite3_close(db);

    ChildReport r;
    r.rows = long(rows.size());
    r.startKiB = statusKiB("VmRSS:");
    Clock t;
    t.start();
    const QByteArray folder = QFileInfo(out).absolutePath().toUtf8();
    lxw_workbook_options opt{};
    opt.constant_memory = LXW_TRUE;
    opt.tmpdir = const_cast<char*>(folder.constData());
    lxw_workbook* wb = workbook_new_opt(out.toUtf8().constData(), &opt);
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* dateFmt = workbook_add_format(wb);
    format_set_num_format(dateFmt, "yyyy/m/d");
    worksheet_write_string(ws, 0, 0, title.toUtf8().constData(), nullptr);
    const char* captions[] = {"收/支", "日期", "金额", "类目", "事项"};
    for (lxw_col_t c = 0; c < 5; ++c) worksheet_write_string(ws, 1, c, captions[c], nullptr);
    lxw_row_t n = 2;
    for (const Row& row : rows) {
        if (row.type == 1 || row.type == -1) worksheet_write_string(ws, n, 0, row.type == 1 ? "收" : "支", nullptr);
        if (row.hasDay) worksheet_write_number(ws, n, 1, row.day, dateFmt);
        worksheet_write_number(ws, n, 2, row.amount, nullptr);
        if (!row.category.empty()) worksheet_write_string(ws, n, 3, row.category.c_str(), nullptr);
        if (!row.item.empty()) worksheet_write_string(ws, n, 4, row.item.c_str(), nullptr);
        ++n;
    }
    if (workbook_close(wb) != LXW_NO_ERROR) return {};
    r.ms = ms(t);
    return r;
}

// The whole account book exported as its window exports it (the list read,
// then the export command timed) beside libxlsxwriter alone, each in a child.
void exportCase(int hires, int runs, const QString& dir)
{
    TADOConnection& cn = AppConnection();
    const QDate first = DaysToDateTime(cn.scalar(QStringLiteral("select min(AcctTime) from Acct")).toDouble()).date();
    const QDate today = NowMoment().date();
    const QString title = DateToStr(first) + QStringLiteral("至") + DateToStr(today) + QStringLiteral("  帐本");
    const QString out = dir + QStringLiteral("/帐本.xlsx");
    std::vector<double> p, r, pPeak, pRise, rPeak, rRise;
    long rows = 0;
    for (int i = 0; i <= runs; ++i) {
        const auto program = inChild<ChildReport>([&] {
            frmAcct->ui->DateTimePicker1->setDate(first);
            frmAcct->ui->DateTimePicker2->setDate(today);
            frmAcct->BtnQryClick();
            Dlg::hooks().saveFile = [&](const QString&, const QString&, const QString&) { return out; };
            ChildReport c;
            c.rows = frmAcct->ADOQry->recordCount();
            c.startKiB = statusKiB("VmRSS:");
            Clock t;
            t.start();
            frmAcct->BtnExpXls1Click();
            c.ms = QFile::exists(out) ? ms(t) : -1;
            return c;
        });
        QFile::remove(out);
        const auto raw = inChild<ChildReport>([&] { return rawAcctExport(cn.fileName(), first, today, title, out); });
        QFile::remove(out);
        if (program.report.ms < 0 || raw.report.ms < 0 || program.report.rows != raw.report.rows) {
            std::fprintf(stderr, "the account book's export failed\n");
            return;
        }
        if (i == 0) continue;
        p.push_back(program.report.ms);
        r.push_back(raw.report.ms);
        pPeak.push_back(program.peakKiB / 1024.0);
        pRise.push_back((program.peakKiB - program.report.startKiB) / 1024.0);
        rPeak.push_back(raw.peakKiB / 1024.0);
        rRise.push_back((raw.peakKiB - raw.report.startKiB) / 1024.0);
        rows = raw.report.rows;
    }
    printRow(hires, QStringLiteral("导出 帐本 (全部)"), median(p), median(r), rows);
    std::printf("%9d  export peak memory %.0f MiB (%+.0f writing), libxlsxwriter alone %.0f MiB (%+.0f writing)\n", hires,
                median(pPeak), median(pRise), median(rPeak), median(rRise));
    std::fflush(stdout);
}

// ---- a large photo stored through the add-vehicle dialog, in a child ----

// Forgets the peak so far: from here on VmHWM is the peak of what follows.
bool resetPeak()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, "5", 1) == 1;
    if (fd >= 0) ::close(fd);
    return ok;
}

// A picture with a photo's detail (light that changes, edges and grain), so
// that its JPEG comes near a camera file's size.
void makeJpeg(const QString& file, int side)
{
    QImage img(side, side, QImage::Format_RGB888);
    quint32 seed = 12345;
    for (int y = 0; y < side; ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < side; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 27) - 16, edge = ((x / 97) ^ (y / 61)) & 1 ? 40 : 0;
            p[0] = uchar(std::clamp(x * 200 / side + edge + grain, 0, 255));
            p[1] = uchar(std::clamp(y * 200 / side + grain, 0, 255));
            p[2] = uchar(std::clamp((x + y) * 100 / side + edge + grain, 0, 255));
        }
    }
    img.save(file, "JPG", 90);
}

struct PhotoReport {
    long beforeKiB = 0;     // resident before the pick
    long pickedKiB = 0;     // resident with the picture decoded and shown
    long pickPeakKiB = 0;   // the peak up to then
    long savePeakKiB = 0;   // the peak of the save alone
    double ms = -1;         // the save
    qint64 pictureBytes = 0, storedBytes = 0;
};

// A 6000 x 6000 JPEG picked in the add-vehicle dialog and saved with a new
// vehicle, each run in a child of its own: the memory the save takes above
// the picture already decoded and shown.
int photoCase(int runs)
{
    const int side = 6000;
    QTemporaryDir work;
    const QString dir = work.path() + QLatin1Char('/'), jpeg = dir + QStringLiteral("photo.jpg");
    inChild<ChildReport>([&] { makeJpeg(jpeg, side); return ChildReport{}; });
    try {
        EnsureDatabaseFile(dir + QStringLiteral("Leaso3.mdb"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(ErrorText(e)));
        return 2;
    }
    SetAppDir(dir);
    answerEveryBox();
    if (!CreateForms()) return 2;
    // What the main window's first showing makes, the table of photo marks among it.
    EnsureSchema(AppConnection());
    Dlg::hooks().openFile = [&](const QString&, const QString&) { return jpeg; };
    std::vector<double> before, picked, pickPeak, saveRise, saveMs, total;
    PhotoReport last;
    for (int i = 0; i < runs; ++i) {
        const QString key = QStringLiteral("大图%1").arg(i);
        const auto r = inChild<PhotoReport>([&] {
            PhotoReport p;
            p.beforeKiB = statusKiB("VmRSS:");
            frmNewCar->ui->EdtNewCarID->setText(key);
            frmNewCar->BtnNewCarPathClick();
            p.pictureBytes = frmNewCar->Photo->picture().sizeInBytes();
            p.pickedKiB = statusKiB("VmRSS:");
            p.pickPeakKiB = statusKiB();
            if (!resetPeak()) return p;
            Clock t;
            t.start();
            frmNewCar->BtnSaveNewCarClick();
            p.ms = ms(t);
            p.savePeakKiB = statusKiB();
            p.storedBytes = QFileInfo(PhotoFileName(CarPicDir, key)).size();
            return p;
        });
        QFile::remove(PhotoFileName(CarPicDir, key));
        if (r.report.ms < 0 || r.report.storedBytes <= 0) {
            std::fprintf(stderr, "the photo was not stored\n");
            return 1;
        }
        last = r.report;
        before.push_back(r.report.beforeKiB / 1024.0);
        picked.push_back((r.report.pickedKiB - r.report.beforeKiB) / 1024.0);
        pickPeak.push_back((r.report.pickPeakKiB - r.report.beforeKiB) / 1024.0);
        saveRise.push_back((r.report.savePeakKiB - r.report.pickedKiB) / 1024.0);
        saveMs.push_back(r.report.ms);
        total.push_back(r.peakKiB / 1024.0);
    }
    std::printf("photo %dx%d JPEG: file %lld bytes; decoded picture %lld bytes; stored BMP %lld bytes\n", side, side,
                QFileInfo(jpeg).size(), last.pictureBytes, last.storedBytes);
    std::printf("  resident before the pick %.1f MiB; the pick adds %.1f MiB (picture and its pixmap), peaking at %+.1f MiB\n",
                median(before), median(picked), median(pickPeak));
    std::printf("  the save (%.0f ms) peaks %+.1f MiB above that; the process's peak %.1f MiB\n", median(saveMs), median(saveRise),
                median(total));
    std::fflush(stdout);
    DestroyForms();
    return 0;
}

// ---- start-up, each in a fresh process ----

// Runs the event loop until w has been painted once.
void untilPainted(QWidget* w)
{
    struct Watch : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override { if (e->type() == QEvent::Paint) painted = true; return false; }
    } watch;
    w->installEventFilter(&watch);
    Clock t;
    t.start();
    while (!watch.painted && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    w->removeEventFilter(&watch);
}

int startupProgram(int argc, char** argv, const QString& dir)
{
    SetClockHook([] { return BenchPresent(); });
    Clock t;
    t.start();
    QApplication app(argc, argv);
    InstallChineseLook(app);
    SetAppDir(dir);
    answerEveryBox();
    if (!CreateForms()) return 2;
    const double created = ms(t);
    CentreOnOwner(frmMain);
    frmMain->show();
    untilPainted(frmMain);
    const double painted = ms(t);
    frmMain->FormShow();
    if (qEnvironmentVariableIsSet("LEASO_T")) std::fprintf(stderr, "created %.2f painted %.2f shown %.2f\n", created, painted, ms(t));
    std::printf("%.3f\n", ms(t));
    DestroyForms();
    return 0;
}

int startupBare(int argc, char** argv)
{
    Clock t;
    t.start();
    QApplication app(argc, argv);
    QMainWindow w;
    w.setCentralWidget(new QLabel(QStringLiteral("Quorvane")));
    w.resize(897, 601);
    w.show();
    untilPainted(&w);
    std::printf("%.3f\n", ms(t));
    return 0;
}

double childMedian(const QStringList& args, int runs)
{
    std::vector<double> v;
    for (int i = 0; i <= runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), args);
        p.waitForFinished(120000);
        const double x = p.readAllStandardOutput().trimmed().split('\n').last().toDouble();
        if (i > 0) v.push_back(x);   // the first run fills the file caches
    }
    return median(v);
}

} // namespace

int main(int argc, char** argv)
{
    // The platform's notes would break up the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 2 && QByteArray(argv[1]) == "--child-bare") return startupBare(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "--child-startup") return startupProgram(argc, argv, QString::fromLocal8Bit(argv[2]));

    QApplication app(argc, argv);
    InstallChineseLook(app);
    if (app.arguments().contains(QStringLiteral("--photo"))) {
        const int at = app.arguments().indexOf(QStringLiteral("--runs"));
        return photoCase(at > 0 ? app.arguments().value(at + 1).toInt() : 3);
    }
    QStringList sizes = {QStringLiteral("10000"), QStringLiteral("100000"), QStringLiteral("1000000")};
    int runs = 7;
    uint64_t seed = BenchSizes{}.seed;
    QString data = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-data");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--hires")) sizes = args[++i].split(QLatin1Char(','));
        else if (args[i] == QLatin1String("--runs")) runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--seed")) seed = args[++i].toULongLong();
        else if (args[i] == QLatin1String("--data")) data = args[++i];
        else if (args[i] == QLatin1String("--child-windows")) {
            const QString dir = args[++i];
            return runWindows(dir, args.value(i + 1).toInt(), runs, args.value(i + 2).toDouble(), args.value(i + 3).toDouble());
        }
    }
    QDir().mkpath(data);

    std::printf("%9s  %-34s %10s %9s %7s %8s\n", "hires", "case", "program", "raw", "ratio", "rows");
    for (const QString& size : sizes) {
        BenchSizes s;
        s.hires = size.toInt();
        s.seed = seed;
        const QString file = QStringLiteral("%1/leaso-%2-%3.mdb").arg(data).arg(s.hires).arg(seed);
        if (!QFile::exists(file)) {
            Clock t;
            t.start();
            const BenchCounts n = MakeBenchDatabase(file + QStringLiteral(".part"), s);
            QFile::rename(file + QStringLiteral(".part"), file);
            std::fprintf(stderr, "made %s: %d open hires, %d unsettled, %d account entries (%.1f s)\n", qPrintable(file),
                         n.openHires, n.unsettled, n.accountEntries, ms(t) / 1000);
        }
        QTemporaryDir work;
        const QString live = work.path() + QStringLiteral("/Leaso3.mdb");
        QFile::copy(file, live);
        {
            // Start-up builds every alert: the birthday check is on as well.
            sqlite3* db = nullptr;
            sqlite3_open(live.toUtf8().constData(), &db);
            sqlite3_exec(db, "Insert or replace into Config(Item,Value) Values('ALERT_BIRTHDAY','3')", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }

        const double bare = childMedian({QStringLiteral("--child-bare")}, runs);
        const double start = childMedian({QStringLiteral("--child-startup"), work.path()}, runs);
        printRow(s.hires, QStringLiteral("启动 (对比空白 Qt 窗口)"), start, bare, -1);

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--runs"), QString::number(runs), QStringLiteral("--child-windows"), work.path(), size,
                     QString::number(start), QString::number(bare)});
        child.waitForFinished(-1);
    }
    return 0;
}
