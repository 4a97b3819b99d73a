// Pictures of the desk, the two pickers and the hire-sheet window with data,
// for a look by eye. Run with --gtest_also_run_disabled_tests; the PNGs go to
// $LEND_GRAB_DIR (default /tmp/lend-grabs).
#include "ui_UnitLend.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitPrint.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"
#include <QDir>
#include <QPdfWriter>
#include <QProcess>

namespace {
QString grabDir()
{
    const QByteArray d = qgetenv("LEND_GRAB_DIR");
    const QString dir = d.isEmpty() ? QStringLiteral("/tmp/lend-grabs") : QString::fromLocal8Bit(d);
    QDir().mkpath(dir);
    return dir + QLatin1Char('/');
}
}

TEST_F(LendFixture, DISABLED_GrabWindows)
{
    addCar(QStringLiteral("京A12345"), 15230, QStringLiteral("3000元"));
    addCar(QStringLiteral("京B'7788"), 82000, QStringLiteral("5000元或身份证"));
    addCar(QStringLiteral("沪C99999"), 120, QStringLiteral("2000元"));
    addCust(QStringLiteral("110101198001011234"), QStringLiteral("O'Brien"), QStringLiteral("138-0000-1111"), QStringLiteral("6222 0000 1111"));
    addCust(QStringLiteral("110101198502023456"), QStringLiteral("张三丰"), QStringLiteral("021-66668888"), QStringLiteral("6222 0200 3333 4444"));
    addCust(QStringLiteral("310101199003035678"), QStringLiteral("张三"), QVariant(), QVariant());
    addScheme(QStringLiteral("标准日租"), 0, 1500000, 200, 10000);
    addScheme(QStringLiteral("包月优惠"), 1, 30000000, 3000, 8000);
    addScheme(QStringLiteral("钟点 100%"), 2, 300000, 30, 15000);
    const QString out = grabDir();
    withDesk([&] {
        selectCar(QStringLiteral("京B'7788"));
        type(u()->EdtCustName, QStringLiteral("三"));
        whenShown(frmSelCust, [&] {
            frmSelCust->grab().save(out + QStringLiteral("selcust.png"));
            frmSelCust->reject();
        });
        click(u()->BtnQryCust);
        whenShown(frmSelectScheme, [&] {
            frmSelectScheme->ADOTable1->setRecNo(1);
            frmSelectScheme->grab().save(out + QStringLiteral("selectscheme.png"));
            click(frmSelectScheme->ui->BtnOK);
        });
        click(u()->BtnScheme);
        type(u()->EdtPrepay, QStringLiteral("3500"));
        type(u()->EdtMemo, QStringLiteral("客户自带儿童座椅"));
        frmLend->grab().save(out + QStringLiteral("lend.png"));
    });
    exec(QStringLiteral("INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, BasicPrice, [Limit], AdditionalPrice,"
                        " Prepay, Odograph1, CreateTime) VALUES ('京B''7788', '110101198502023456', 1, :b, :p, :price, 3000, :add,"
                        " :pre, 82000, :b)"),
         {{"b", now}, {"p", now.addMonths(1)}, {"price", money(30000000)}, {"add", money(8000)}, {"pre", money(35000000)}});
    frmPrint->PrintLeasoID = QStringLiteral("1");
    whenShown(frmPrint, [&] {
        frmPrint->grab().save(out + QStringLiteral("print.png"));
        frmPrint->reject();
    });
    frmPrint->showModal();

    // A sheet with long values, through QPdfWriter, for a look at wrapping.
    addCust(QStringLiteral("LONG"), QStringLiteral("一个很长很长的客户名称用来检查折行是否保持在框内而不越界"),
            QStringLiteral("13900001111，13900002222，010-88886666 转 123，夜间请拨 13900003333"),
            QStringLiteral("6222 0200 1234 5678 901"), QStringLiteral("工商银行北京分行"));
    exec(QStringLiteral("INSERT INTO Leaso (CarID, CustID, LeasoType, BeginTime, PlanEndTime, BasicPrice, [Limit], AdditionalPrice,"
                        " Prepay, Odograph1, CreateTime) VALUES ('京A88888', 'LONG', 2, :b, :p, :price, 99999, :add, :pre, 1234567, :b)"),
         {{"b", now}, {"p", now.addMonths(1)}, {"price", money(99999990000)}, {"add", money(99999999)}, {"pre", money(12345678900)}});
    frmPrint->PrintLeasoID = QStringLiteral("2");
    rejectWhenShown(frmPrint);
    frmPrint->showModal();
    {
        QPdfWriter w(out + QStringLiteral("long.pdf"));
        w.setResolution(600);
        frmPrint->ui->QuickRep1->Print(w);
    }
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("200"),
                                                   QStringLiteral("-singlefile"), out + QStringLiteral("long.pdf"), out + QStringLiteral("long")});
}
