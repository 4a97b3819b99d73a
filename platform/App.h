#pragma once
// Program-wide facts: the application title and the data folder.
#include <QString>

class TADOConnection;
class QLineEdit;

QString AppTitle();                       // "Quorvane"
QString FormCaption(const QString& name); // title, " - ", name

// The folder beside the executable, with a trailing separator. Tests point it
// at a temporary folder.
QString AppDir();
void SetAppDir(const QString& dir);

// The connection whose transaction a failed handler rolls back.
void SetGuardConnection(TADOConnection* cn);
TADOConnection* GuardConnection();

// Read-only edit box with the silver background.
void SetReadOnlySilver(QLineEdit* e);
