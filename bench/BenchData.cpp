#include "bench/BenchData.h"
#include "common/UnitPublic.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QDate>
#include <QFile>
#include <sqlite3.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// splitmix64: the same numbers on every machine and compiler.
struct Rng {
    uint64_t s;
    uint64_t next()
    {
        uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % uint64_t(n)); }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }
};

const char* const kProvinces[] = {"京", "津", "沪", "渝", "冀", "豫", "云", "辽", "黑", "湘", "皖", "鲁", "苏", "浙", "粤"};
const char* const kStyles[] = {"轿车", "面包车", "越野车", "商务车", "跑车"};
const char* const kMarks[] = {"大众", "丰田", "本田", "别克", "福特", "现代", "日产", "奥迪", "比亚迪", "吉利", "长城", "奇瑞"};
const char* const kColors[] = {"白", "黑", "银", "红", "蓝", "灰", "金"};
const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭",
                                 "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "欧阳", "司马"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛", "明",
                              "超", "秀英", "霞", "平", "刚", "桂英", "建华", "文", "华", "红", "志强", "玉兰", "海燕", "国庆"};
const char* const kStreets[] = {"人民路", "解放路", "中山路", "建设路", "和平街", "长江路", "黄河路", "胜利街", "新华路", "朝阳路"};
const char* const kCities[] = {"北京市", "天津市", "上海市", "重庆市", "石家庄市", "郑州市", "昆明市", "沈阳市", "长沙市", "合肥市"};
const char* const kCostNames[] = {"保险", "年检", "保养", "养路费", "车船税"};

template <size_t N> const char* pick(Rng& r, const char* const (&a)[N]) { return a[r.below(int(N))]; }

class Db {
public:
    explicit Db(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) fail();
        exec("PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;");
    }
    ~Db() { sqlite3_close(m_db); }
    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail();
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) fail();
        return st;
    }
    void run(sqlite3_stmt* st)
    {
        if (sqlite3_step(st) != SQLITE_DONE) fail();
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    [[noreturn]] void fail() { throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db))); }
    sqlite3* m_db = nullptr;
};

void text(sqlite3_stmt* st, int i, const QByteArray& b) { sqlite3_bind_text(st, i, b.constData(), b.size(), SQLITE_TRANSIENT); }
void text(sqlite3_stmt* st, int i, const char* s) { sqlite3_bind_text(st, i, s, -1, SQLITE_TRANSIENT); }
// Amounts are given in tenths of a yuan and stored in ten-thousandths.
void money(sqlite3_stmt* st, int i, int64_t tenths) { sqlite3_bind_int64(st, i, tenths * 1000); }

QByteArray carId(int i)
{
    // A province, a letter and five digits: unique per index.
    return QByteArray(kProvinces[i % 15]) + char('A' + (i / 15) % 26) + QByteArray::number(10000 + i).right(5);
}

QByteArray custId(int i, Rng& r)
{
    // An 18-character identity number; the index in its serial part keeps it unique.
    const QDate born = QDate(1950, 1, 1).addDays(r.below(50 * 365));
    return QByteArray::number(110000 + r.below(500000)) + born.toString(QStringLiteral("yyyyMMdd")).toLatin1()
         + QByteArray::number(i).rightJustified(6, '0').right(4);
}

} // namespace

QDateTime BenchPresent() { return CombineDateTime(QDate(2026, 3, 1), QTime(10, 0)); }

int BenchOpenHires(const BenchSizes& sizes)
{
    return std::min(sizes.vehicles * 49 / 100, sizes.hires / 20);
}

BenchCounts MakeBenchDatabase(const QString& fileName, const BenchSizes& sizes)
{
    QFile::remove(fileName);
    EnsureDatabaseFile(fileName);
    {
        // The account book, as the program makes it at start-up.
        TADOConnection cn;
        cn.open(fileName);
        EnsureAcctTable(cn);
    }
    Db db(fileName);
    Rng rng{sizes.seed};
    BenchCounts counts;
    db.exec("BEGIN");

    // Hire schemes.
    {
        sqlite3_stmt* st = db.prepare("INSERT INTO PriceList (PriceName, LeasoType, BasicPrice, [Limit], AdditionalPrice) VALUES (?,?,?,?,?)");
        for (int i = 0; i < 24; ++i) {
            const int type = i % 3;
            text(st, 1, QStringLiteral("%1方案%2").arg(QString::fromUtf8(kMarks[i % 12])).arg(i + 1).toUtf8());
            sqlite3_bind_int(st, 2, type);
            money(st, 3, type == 1 ? 30000 + 1000 * i : type == 2 ? 300 + 10 * i : 1500 + 100 * i);
            sqlite3_bind_int(st, 4, type == 1 ? 6000 : type == 2 ? 30 : 300);
            money(st, 5, 8 + i % 5);
            db.run(st);
        }
        sqlite3_finalize(st);
    }

    // Customers.
    std::vector<QByteArray> custIds(sizes.customers);
    {
        sqlite3_stmt* st = db.prepare("INSERT INTO Customer (CustID, CardType, CustName, Tel, Address, Memo, BankCard, BankCard_Memo)"
                                      " VALUES (?,?,?,?,?,?,?,?)");
        for (int i = 0; i < sizes.customers; ++i) {
            custIds[i] = custId(i, rng);
            text(st, 1, custIds[i]);
            text(st, 2, i % 20 == 0 ? "护照" : "身份证");
            text(st, 3, QByteArray(pick(rng, kSurnames)) + pick(rng, kGiven) + (rng.below(2) ? pick(rng, kGiven) : ""));
            text(st, 4, "1" + QByteArray::number(3000000000LL + int64_t(rng.next() % 6000000000ULL)));
            text(st, 5, QByteArray(pick(rng, kCities)) + pick(rng, kStreets) + QByteArray::number(1 + rng.below(300)) + "号");
            if (rng.below(10) == 0) text(st, 6, "老客户");
            if (rng.below(3)) {
                text(st, 7, "62" + QByteArray::number(int64_t(rng.next() % 100000000000000000ULL)).rightJustified(17, '0'));
                text(st, 8, rng.below(2) ? "工商银行" : "建设银行");
            }
            db.run(st);
        }
        sqlite3_finalize(st);
    }

    // Hires, oldest first: twenty years up to the present, the newest still out.
    const int open = BenchOpenHires(sizes);
    counts.openHires = open;
    const double endDay = DateToDays(BenchPresent().date());
    const double startDay = endDay - 20 * 365.25;
    const double step = (endDay - startDay) / std::max(1, sizes.hires);
    std::vector<char> carOut(sizes.vehicles, 0);
    std::vector<int> carOdo(sizes.vehicles);
    for (int& o : carOdo) o = 1000 + rng.below(20000);
    {
        sqlite3_stmt* st = db.prepare(
            "INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, EndTime, BasicPrice, [Limit], AdditionalPrice,"
            " Prepay, Odograph1, Odograph2, Memo, CreateTime, ChangeCar, Charge, ChargeTime) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        sqlite3_stmt* acct = db.prepare(
            "INSERT INTO Acct (Type, Amount, LeasoID, Item, AcctTime, Deleted, Category) VALUES (1,?,?,?,?,0,'租车款')");
        int openCar = 0;
        for (int i = 0; i < sizes.hires; ++i) {
            const bool isOpen = i >= sizes.hires - open;
            // Open hires take distinct vehicles, spread over the fleet; the others any vehicle.
            int car = isOpen ? int(int64_t(openCar++) * sizes.vehicles / std::max(1, open)) : rng.below(sizes.vehicles);
            while (isOpen && carOut[car]) car = (car + 1) % sizes.vehicles;
            if (isOpen) carOut[car] = 1;
            const int type = rng.below(10) < 7 ? 0 : rng.below(2) ? 2 : 1;
            const double begin = startDay + i * step + rng.unit() * 0.4;
            const double length = type == 0 ? 1 + rng.below(7) : type == 1 ? 30 : (2 + rng.below(10)) / 24.0;
            const double plan = begin + length;
            const double end = plan + (rng.unit() - 0.3) * 0.5;
            const int km = type == 1 ? 1500 + rng.below(4000) : type == 2 ? 10 + rng.below(60) : (100 + rng.below(300)) * int(length);
            const int64_t price = type == 1 ? 30000 : type == 2 ? 350 : 1800;
            const bool unsettled = !isOpen && rng.below(200) == 0;
            const int64_t charge = price * std::max(1, int(std::ceil(length))) + rng.below(50) * 10;
            text(st, 1, carId(car));
            text(st, 2, custIds[rng.below(sizes.customers)]);
            sqlite3_bind_int(st, 3, type);
            sqlite3_bind_double(st, 4, begin);
            sqlite3_bind_double(st, 5, plan);
            if (!isOpen) sqlite3_bind_double(st, 6, end);
            money(st, 7, price);
            sqlite3_bind_int(st, 8, type == 1 ? 6000 : type == 2 ? 30 : 300);
            money(st, 9, 8);
            money(st, 10, rng.below(3) ? 30000 : 50000);
            sqlite3_bind_int(st, 11, carOdo[car]);
            carOdo[car] += km;
            if (!isOpen) sqlite3_bind_int(st, 12, carOdo[car]);
            text(st, 13, rng.below(8) ? "" : rng.below(2) ? "客户要求开发票" : "车内有轻微划痕，已告知客户");
            sqlite3_bind_double(st, 14, begin);
            sqlite3_bind_int(st, 15, 0);
            if (!isOpen && !unsettled) {
                money(st, 16, charge);
                sqlite3_bind_double(st, 17, end + rng.unit() * 0.1);
            }
            db.run(st);
            if (isOpen) continue;
            if (unsettled) { ++counts.unsettled; continue; }
            // Nearly every settlement was recorded in the account book as well.
            if (rng.below(50) == 0) continue;
            money(acct, 1, charge);
            sqlite3_bind_int64(acct, 2, sqlite3_last_insert_rowid(db.m_db));
            text(acct, 3, carId(car) + "租车款");
            sqlite3_bind_double(acct, 4, end + 0.05);
            db.run(acct);
            ++counts.accountEntries;
        }
        sqlite3_finalize(st);
        sqlite3_finalize(acct);
    }

    // Vehicles with their present mileage, one in a hundred of the free ones
    // stopped; the fee items of the last three years, paid from the book.
    {
        sqlite3_stmt* st = db.prepare("INSERT INTO Car (CarID, State, Style, Mark, Color, MotorID, Odograph, Defend, Pledge, BuyDate,"
                                      " CheckDate, Description) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
        sqlite3_stmt* cost = db.prepare("INSERT INTO CarCost (CarID, Name, Cost, BeginTime, EndTime, Content, CreateTime) VALUES (?,?,?,?,?,?,?)");
        sqlite3_stmt* acct = db.prepare(
            "INSERT INTO Acct (Type, Amount, LeasoID, Item, AcctTime, Deleted, Category) VALUES (-1,?,0,?,?,0,?)");
        for (int i = 0; i < sizes.vehicles; ++i) {
            const QByteArray id = carId(i);
            text(st, 1, id);
            text(st, 2, carOut[i] ? "B" : i % 100 == 7 ? "D" : "A");
            text(st, 3, pick(rng, kStyles));
            text(st, 4, pick(rng, kMarks));
            text(st, 5, pick(rng, kColors));
            text(st, 6, "LSV" + QByteArray::number(int64_t(rng.next() % 100000000000000ULL)).rightJustified(14, '0'));
            sqlite3_bind_int(st, 7, carOdo[i]);
            sqlite3_bind_int(st, 8, 5000);
            text(st, 9, rng.below(2) ? "3000元" : "5000元");
            sqlite3_bind_double(st, 10, std::floor(startDay + rng.unit() * 7000));
            sqlite3_bind_double(st, 11, std::floor(endDay - rng.below(365)));
            if (rng.below(5) == 0) text(st, 12, "自动挡，带导航");
            db.run(st);
            for (int y = 0; y < 3; ++y) {
                const double from = std::floor(endDay - 365 * (3 - y) + rng.below(300));
                const int64_t amount = 3000 + rng.below(40000);
                text(cost, 1, id);
                text(cost, 2, pick(rng, kCostNames));
                money(cost, 3, amount);
                sqlite3_bind_double(cost, 4, from);
                sqlite3_bind_double(cost, 5, from + 365);
                text(cost, 6, "");
                sqlite3_bind_double(cost, 7, from);
                db.run(cost);
                money(acct, 1, amount);
                text(acct, 2, id + "车辆费用");
                sqlite3_bind_double(acct, 3, from);
                text(acct, 4, "车辆费用");
                db.run(acct);
                ++counts.accountEntries;
            }
        }
        sqlite3_finalize(st);
        sqlite3_finalize(cost);
        sqlite3_finalize(acct);
    }
    db.exec("COMMIT");
    {
        // The indexes the program makes on its first start.
        TADOConnection cn;
        cn.open(fileName);
        EnsureSchema(cn);
    }
    return counts;
}
