#include "app/UnitPublic.h"
#include "platform/DBGrid.h"
#include "platform/Dialogs.h"

// Placeholder until the workbook writer lands: every export fails.
void ExportGridToExcel(const QString&, const QString&, TDataSet*, TDBGrid*)
{
    Dlg::MessageBox(nullptr, QStringLiteral("本机没有安装Excel."), QStringLiteral("错误"), Dlg::Icon::None,
                    Dlg::Buttons::OK, Dlg::IdOK);
}
