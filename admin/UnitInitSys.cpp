#include "admin/UnitInitSys.h"
#include "ui_UnitInitSys.h"
#include "common/AppContext.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/Transaction.h"
#include <QDir>
#include <QFile>

TfrmInit* frmInit = nullptr;

int DeletePhotoFiles(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists()) return 0;
    int left = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden | QDir::System))
        if (!QFile::remove(dir.filePath(name))) ++left;
    return left;
}

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
    // The rows go all together or not at all; the photos only after the commit.
    if (!WriteOrReport(this, [this] {
            TTransaction tr(AppConnection());
            for (const char* sql : {"Delete from leaso", "Delete from priceList", "Delete from CarCost",
                                    "Delete from car", "Delete from Customer"})
                ADOQry->execSQL(QString::fromLatin1(sql), {});
            tr.commit();
        }))
        return;
    AppEvents::instance().databaseReplaced();

    const int left = DeletePhotoFiles(CarPicDir) + DeletePhotoFiles(CustPicDir);
    Dlg::Notice(this, QStringLiteral("系统原有数据已全部删除"));
    if (left > 0)
        Dlg::Notice(this, QStringLiteral("有 %1 个图片文件未能删除，仍留在图片目录中。").arg(left));
    accept();
}
