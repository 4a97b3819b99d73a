#pragma once
// Message boxes and the other platform dialogs. Every call goes through a
// replaceable hook, so tests script the answers and see what was shown.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class QPrinter;

namespace Dlg {

enum class Icon { None, Information, Exclamation, Question, Error };
enum class Buttons { OK, YesNo, OKCancel };
enum Result { IdOK = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

struct MessageCall {
    QString text;
    QString caption;
    Icon icon;
    Buttons buttons;
    Result defaultButton;
};

// The general box; returns the button pressed.
int MessageBox(QWidget* parent, const QString& text, const QString& caption,
               Icon icon, Buttons buttons, Result defaultButton);

// A notice: the application title, the information icon, OK.
void Notice(QWidget* parent, const QString& text);
// A Yes/No question captioned with the application title; true for Yes.
bool Confirm(QWidget* parent, const QString& text, Icon icon = Icon::Question, bool defaultYes = false);
// A plain box with no icon, captioned with the application title.
void PlainMessage(QWidget* parent, const QString& text);
// The box an escaped error ends in: the application title, the error icon.
void ErrorBox(QWidget* parent, const QString& text);

QString OpenFile(QWidget* parent, const QString& title, const QString& filter);
QString SaveFile(QWidget* parent, const QString& title, const QString& defaultName, const QString& filter);
QString BrowseFolder(QWidget* parent, const QString& title);
QStringList Printers();                 // installed printers; empty when none
QString DefaultPrinter();
void OpenUrl(const QString& url);       // result not examined
// The alert tone, in the background; the desktop's bell where no sound device exists.
void Beep(int frequencyHz, int durationMs);

// Shows a report in a preview window; paint draws it on the printer given.
void PrintPreview(QWidget* parent, const QString& title, const std::function<void(QPrinter&)>& paint);
// Prints a report on the default printer without a dialog.
void PrintDirect(const QString& title, const std::function<void(QPrinter&)>& paint);

struct Hooks {
    std::function<int(const MessageCall&)> message;
    std::function<QString(const QString& title, const QString& filter)> openFile;
    std::function<QString(const QString& title, const QString& defaultName, const QString& filter)> saveFile;
    std::function<QString(const QString& title)> browseFolder;
    std::function<QStringList()> printers;
    std::function<void(const QString&)> openUrl;
    std::function<void(int frequencyHz, int durationMs)> beep;
    std::function<void(const QString& title, const std::function<void(QPrinter&)>&)> printPreview;
    std::function<void(const QString& title, const std::function<void(QPrinter&)>&)> printDirect;
};
// Hooks that are set replace the real dialogs; empty ones use them.
Hooks& hooks();

} // namespace Dlg
