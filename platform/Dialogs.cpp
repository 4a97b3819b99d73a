#include "platform/Dialogs.h"
#include "platform/App.h"
#include "platform/Tone.h"
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QUrl>

namespace Dlg {

Hooks& hooks()
{
    static Hooks h;
    return h;
}

int MessageBox(QWidget* parent, const QString& text, const QString& caption, Icon icon, Buttons buttons, Result def)
{
    MessageCall call{text, caption, icon, buttons, def};
    if (hooks().message) return hooks().message(call);

    QMessageBox box(parent);
    box.setWindowTitle(caption);
    // Texts written for the other platform break lines with a carriage return.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    QPushButton* defBtn = nullptr;
    QPushButton *ok = nullptr, *cancel = nullptr, *yes = nullptr, *no = nullptr;
    if (buttons == Buttons::YesNo) {
        yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        defBtn = def == IdYes ? yes : no;
    } else {
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        if (buttons == Buttons::OKCancel) {
            cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
            box.setEscapeButton(cancel);
        } else {
            box.setEscapeButton(ok);
        }
        defBtn = def == IdCancel && cancel ? cancel : ok;
    }
    box.setDefaultButton(defBtn);
    box.exec();
    auto* clicked = box.clickedButton();
    if (clicked == yes) return IdYes;
    if (clicked == no) return IdNo;
    if (clicked == cancel) return IdCancel;
    return IdOK;
}

void Notice(QWidget* parent, const QString& text)
{
    MessageBox(parent, text, AppTitle(), Icon::Information, Buttons::OK, IdOK);
}

bool Confirm(QWidget* parent, const QString& text, Icon icon, bool defaultYes)
{
    return MessageBox(parent, text, AppTitle(), icon, Buttons::YesNo, defaultYes ? IdYes : IdNo) == IdYes;
}

void PlainMessage(QWidget* parent, const QString& text)
{
    MessageBox(parent, text, AppTitle(), Icon::None, Buttons::OK, IdOK);
}

void ErrorBox(QWidget* parent, const QString& text)
{
    MessageBox(parent, text, AppTitle(), Icon::Error, Buttons::OK, IdOK);
}

namespace {

// The file dialogs are Qt's own, not the desktop's, so that they read in
// Chinese whatever the desktop's language. Qt's translation leaves a folder's
// type in English, and Qt writes sizes and dates in the desktop's locale: the
// two classes below give them in Chinese.
class ChineseFileTypes : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot()) return QStringLiteral("驱动器");
        if (info.isFile()) return QFileIconProvider::type(info);   // the file type's own name, in the program's language
        if (info.isDir()) return QStringLiteral("文件夹");
        if (info.isSymLink()) return QStringLiteral("快捷方式");
        return QStringLiteral("未知");
    }
};

class ChineseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        if (index.column() == 3) return chinese.toString(files->lastModified(source), QLocale::ShortFormat);
        return files->isDir(source) ? QString() : chinese.formattedDataSize(files->size(source));
    }
};

QString RunFileDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                      QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    ChineseFileTypes types;   // outlives the dialog, which only borrows it
    QFileDialog dialog(parent, title, start, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&types);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    if (mode == QFileDialog::Directory) dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString OpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    if (hooks().openFile) return hooks().openFile(title, filter);
    return RunFileDialog(parent, title, QString(), filter, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
}

QString SaveFile(QWidget* parent, const QString& title, const QString& defaultName, const QString& filter)
{
    if (hooks().saveFile) return hooks().saveFile(title, defaultName, filter);
    return RunFileDialog(parent, title, defaultName, filter, QFileDialog::AnyFile, QFileDialog::AcceptSave);
}

QString BrowseFolder(QWidget* parent, const QString& title)
{
    if (hooks().browseFolder) return hooks().browseFolder(title);
    return RunFileDialog(parent, title, QString(), QString(), QFileDialog::Directory, QFileDialog::AcceptOpen);
}

QStringList Printers()
{
    if (hooks().printers) return hooks().printers();
    return QPrinterInfo::availablePrinterNames();
}

QString DefaultPrinter()
{
    const QStringList all = Printers();
    if (all.isEmpty()) return {};
    if (!hooks().printers) {
        const QString d = QPrinterInfo::defaultPrinterName();
        if (!d.isEmpty()) return d;
    }
    return all.first();
}

void OpenUrl(const QString& url)
{
    if (hooks().openUrl) { hooks().openUrl(url); return; }
    QDesktopServices::openUrl(QUrl(url));
}

void Beep(int frequencyHz, int durationMs)
{
    if (hooks().beep) { hooks().beep(frequencyHz, durationMs); return; }
    if (!PlayTone(frequencyHz, durationMs)) QApplication::beep();
}

void PrintPreview(QWidget* parent, const QString& title, const std::function<void(QPrinter&)>& paint)
{
    if (hooks().printPreview) { hooks().printPreview(title, paint); return; }
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dlg(&printer, parent);
    dlg.setWindowTitle(title);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&](QPrinter* p) { paint(*p); });
    dlg.resize(900, 700);
    dlg.exec();
}

void PrintDirect(const QString& title, const std::function<void(QPrinter&)>& paint)
{
    if (hooks().printDirect) { hooks().printDirect(title, paint); return; }
    QPrinter printer(QPrinter::HighResolution);
    const QString name = DefaultPrinter();
    if (!name.isEmpty()) printer.setPrinterName(name);
    printer.setDocName(title);
    paint(printer);
}

} // namespace Dlg
