#pragma once
// How the program looks to its user: Qt's own texts in Chinese, edits that
// show the start of what the program puts into them, and windows that open at
// the same place every time.
#include <QString>
#include <QStringList>

class QApplication;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QWidget;

// The program's font, its fixed regional settings, and Qt's own texts (file
// dialogs, edit context menus, the print preview) in Simplified Chinese.
// False when Qt's Chinese translation is not installed; the rest still applies.
bool InstallChineseLook(QApplication& app);

// Puts a text into an edit so that its start shows, as a user reads it
// (a plain setText leaves a long text scrolled to its end).
void SetEditText(QLineEdit* edit, const QString& text);

// Replaces a drop-down list's items in one step: a list of a hundred
// thousand names is filled in a moment, where adding them one by one takes long.
void SetComboItems(QComboBox* combo, const QStringList& items);
// Fills a pick list with the first column of every row of a statement, in
// the order read (a null value as an empty item). The texts are kept as
// stored and made into strings only when shown or searched, so a list of a
// hundred thousand names costs little to fill.
class TStatement;
void SetComboItemsFromRows(QComboBox* combo, TStatement& rows);

// Tabs drawn as flat buttons: the active one pressed in, the others flat until
// the mouse is over them. Every window with such tabs takes its look from here.
void UseFlatButtonTabs(QTabWidget* tabs);
// The dynamic property that marks such a tab widget and that its style matches.
inline constexpr char FlatButtonTabsProperty[] = "flatButtonTabs";

// Every drop-down list of the program opens as wide as its longest entry
// (the boxes themselves keep their widths). Done once for the application.
void WidenComboLists(QApplication& app);

// Centres a window's client area on its owner's (on the screen when it has no
// owner), kept on the screen. The same place on every opening.
void CentreOnOwner(QWidget* window);
