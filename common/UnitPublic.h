#pragma once
// Routines shared by the windows: codes and their texts, the database file and
// its account-book table, settings keys, and the traffic-violation page.
#include "platform/Connection.h"
#include "platform/DataSet.h"
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

class QWidget;
class QComboBox;

// Makes the compiled-in resources (schema, pictures) available; call once early.
void InitResources();

// The pricing units: the code stored in LeasoType (its index wherever a unit is
// chosen), the text lists show, the word the fee counts in, and the labels of
// the price and allowance boxes.
struct PricingUnit {
    qint64 code;
    QString text;
    QString unitWord;
    QString priceLabel;
    QString limitLabel;
};
const QVector<PricingUnit>& PricingUnits();
const PricingUnit* PricingUnitByCode(qint64 code);       // nullptr for an unknown code
const PricingUnit* PricingUnitByText(const QString& text);
QStringList PricingUnitTexts();                          // in code order

// Pricing unit codes 0, 1, 2 and their texts; empty for any other code.
QString LeasoTypeStr(qint64 code);
// Fills a list's calculated field LeasoTypeStr from its LeasoType (no code,
// or an unknown one, gives no text).
void CalcLeasoTypeStr(TDataSet& ds);
// Reopens ds on a query of one bound value (a key, as a rule), its earlier
// parameters dropped.
void OpenByKey(TDataSet* ds, const QString& sql, const QString& param, const QVariant& value);

// The user's text for a LIKE ... ESCAPE '\' pattern, its wildcards and the
// escape character taken literally.
QString LikeLiteral(const QString& text);

// Vehicle state letter and its text; empty for an unknown letter.
QString CarStateText(const QString& letter);

// Makes the empty database (every table but Acct) when the file is missing;
// an existing file is never touched. Returns true when it made one.
bool EnsureDatabaseFile(const QString& fileName);

// Creates the account-book table unless a table of that name exists in any
// letter case.
void EnsureAcctTable(TADOConnection& cn);

// The tables every database of this program has (all but Acct, which
// EnsureSchema makes when missing).
QStringList ProgramTables();

// The indexes the lists rely on: name, table and column.
struct SchemaIndex {
    QString name, table, column;
};
const QList<SchemaIndex>& SchemaIndexes();

// Brings an opened database up to what the program needs, in one transaction:
// the account-book table when missing, the indexes the lists rely on, and the
// table of photo-change marks, without the marks of changes that are over.
// Writes nothing when all are there, and says whether it wrote. Run at
// start-up and after a restore.
bool EnsureSchema(TADOConnection& cn);

// A pick list refilled with items; its text is left empty, with nothing selected.
void FillPickList(QComboBox* list, const QStringList& items);

// Deletes a register's record unless a hire refers to it: the hire test and the
// delete in one transaction, so no hire slips in between. A record gone
// meanwhile gets the changed-record notice and reread. With photoDir, the
// key's photo file there goes with the row (see TStagedPhoto); a file that
// cannot go keeps the row.
enum class DeleteOutcome { Deleted, Hired, Changed };
DeleteOutcome DeleteUnlessHired(QWidget* owner, const QString& table, const QString& keyField, const QString& key,
                                const std::function<void()>& reread, const QString& photoDir = QString());

// A register's delete after its question: the record unless a hire refers to
// it (hiredText tells the user so), then its photo when the stored one is on
// show (a picture picked or cleared meanwhile leaves the file), the notice
// doneText and a fresh list.
struct RegisterDeletion {
    QString table, keyField, key;
    QString photoDir;
    bool storedPhotoShown = false;
    QString hiredText, doneText;
};
void DeleteRegisterRecord(QWidget* owner, const RegisterDeletion& d, const std::function<void()>& reread);

// The notice of a command that finds no record selected: that the list could
// not be read when its dataset is not open (the read's error was shown as it
// failed), else emptyText (nothing when empty).
void NoRecordNotice(QWidget* owner, const TDataSet& list, const QString& listName, const QString& emptyText = {});

// Settings keys in Config. readConfig: the first value, or nullopt without a row.
std::optional<QString> ReadConfig(TADOConnection& cn, const QString& item);
// Deletes the key's row and inserts the new one, both or neither.
void WriteConfig(TADOConnection& cn, const QString& item, const QString& value);

// Writes the rows of the grid's dataset into a new workbook: the title in row 1,
// the visible columns' captions in row 2 in the order the grid shows them, the
// values from row 3. Shows "导出完毕！" when written, the failure box otherwise.
class TDBGrid;
void ExportGridToExcel(const QString& fileName, const QString& title, TDataSet* dataSource, TDBGrid* grid);

// Opens the traffic-violation query page in the default browser.
void OpenTrafficQueryPage();

// Addresses the program opens.
QString HelpPageUrl();
QString HomePageUrl();
QString ContactMailUrl();
