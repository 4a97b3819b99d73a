#include "admin/UnitInitSys.h"
#include "ui_UnitInitSys.h"
#include "common/AppContext.h"
#include "common/UnitPhoto.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/Transaction.h"

TfrmInit* frmInit = nullptr;

TfrmInit::TfrmInit(QWidget* parent) : TForm(parent), ui(new Ui::TfrmInit)
{
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    setFixedSize(size());
    setCancelButton(ui->BitBtn1);

    On(ui->BtnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

TfrmInit::~TfrmInit() = default;

void TfrmInit::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("清除系统所有数据")));
    ADOQry->setConnection(&AppConnection());
}

void TfrmInit::BtnOKClick()
{
    // The rows and the photos go all together or not at all, also when the
    // program stops half-way; a photo that cannot be moved stays and is counted.
    int left = 0;
    if (!WriteOrReport(this, [&] {
            TStagedPhoto cars(CarPicDir, TStagedPhoto::Action::Remove), custs(CustPicDir, TStagedPhoto::Action::Remove);
            {
                TTransaction tr(AppConnection());
                for (const char* sql : {"Delete from leaso", "Delete from priceList", "Delete from CarCost",
                                        "Delete from car", "Delete from Customer"})
                    ADOQry->execSQL(QString::fromLatin1(sql), {});
                left = cars.commitAll(AppConnection()) + custs.commitAll(AppConnection());
                tr.commit();
            }
            cars.keep();
            custs.keep();
        }))
        return;
    AppEvents::instance().databaseReplaced();

    Dlg::Notice(this, QStringLiteral("系统原有数据已全部删除"));
    if (left > 0)
        Dlg::Notice(this, QStringLiteral("有 %1 个图片文件未能删除，仍留在图片目录中。").arg(left));
    accept();
}
