#pragma once
// A dataset in memory: the rows of a query or a whole table are copied in when
// it opens (no cursor stays open across a transaction), with a current row,
// typed fields, calculated fields, append/edit/post against the base table,
// an optional filter and an optional master dataset it follows.
#include "platform/Connection.h"
#include "platform/Currency.h"
#include "platform/StoredValue.h"
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QVariant>
#include <QVector>
#include <functional>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

class TDataSet;

// A handle on one field of a dataset's current row (or its edit buffer).
class TField {
public:
    TField(TDataSet* ds, int col) : m_ds(ds), m_col(col) {}
    QString fieldName() const;
    FieldType dataType() const;
    bool isNull() const;
    QVariant value() const;            // the raw stored value
    // Display text: amounts, moments and numbers formatted; an amount stored
    // as text throws EConvertError, as asCurrency does.
    QString asString() const;
    // The text a box shows of the stored value, as lists show it: text stored
    // where an amount belongs shows as it is (a save then refuses it).
    QString shownText() const;
    qint64 asInteger() const;          // null gives 0
    Currency asCurrency() const;       // null gives 0
    QDateTime asDateTime() const;      // null gives an invalid QDateTime
    double asFloat() const;
    bool asBoolean() const;

    // Only in edit or insert state (or for calculated fields while calculating).
    void setValue(const QVariant& v);  // QString, integers, Currency, QDateTime, QDate, bool, null
    void clear() { setValue(QVariant()); }
    // The value as it was stored elsewhere, unconverted: text where a number
    // belongs stays that text.
    void setStoredValue(const QVariant& v);
private:
    TDataSet* m_ds;
    int m_col;
};

class TDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TDataSet(QObject* parent = nullptr);
    ~TDataSet() override;

    void setConnection(TADOConnection* cn) { m_cn = cn; }
    TADOConnection* connection() const { return m_cn; }

    // Query mode: SQL text with ":name" parameters.
    void setSQL(const QString& sql);
    QString sql() const { return m_sql; }
    void setParam(const QString& name, const QVariant& value);
    void clearParams() { m_params.clear(); }

    // Table mode: the whole table, optionally ordered.
    void setTableName(const QString& table, const QString& orderBy = {});
    // Follow a master dataset: only rows whose detailField equals the master's
    // current masterField, re-read on every move of the master.
    void setMaster(TDataSet* master, const QString& masterField, const QString& detailField);

    // Types for columns the database cannot type (expressions such as sum(x)).
    void declareField(const QString& name, FieldType type);
    // A calculated field, filled by onCalcFields for every row.
    void addCalcField(const QString& name, FieldType type);
    std::function<void(TDataSet&)> onCalcFields;
    // Forgets declared and calculated fields (and onCalcFields).
    void clearFieldDefs() { m_declared.clear(); m_calc.clear(); onCalcFields = nullptr; }

    // A filter over the rows in memory; applies while filtered is on.
    void setFilter(std::function<bool(TDataSet&)> accept);
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    void open();
    void close();
    bool active() const { return m_state != State::Inactive; }
    void requery();                    // re-reads, keeping the position where possible
    int execSQL();                     // a statement that returns no rows
    int execSQL(const QString& sql, const Params& params);   // sets the text and values, then runs it

    State state() const { return m_state; }
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const { return m_cur; }            // 0-based; -1 when empty
    void setRecNo(int row);
    void first(); void last(); void next(); void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool locate(const QString& field, const QVariant& value);  // case-insensitive for text

    int fieldCount() const { return m_fields.size(); }
    int fieldIndex(const QString& name) const;   // -1 when none
    TField fieldByName(const QString& name);     // throws EDatabaseError when none
    TField field(int col) { return TField(this, col); }
    QString fieldName(int col) const { return m_fields[col].name; }
    FieldType fieldType(int col) const { return m_fields[col].type; }

    // Values of any visible row (0..recordCount-1), for grids and exports.
    QVariant valueAt(int row, int col) const;
    QString textAt(int row, int col) const;

    void append();
    // Appends one row with these field values and posts it; on failure the
    // row is dropped and the dataset closed, and the error goes on.
    void appendRecord(const Params& values);
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // Text of a value as lists show it; text stored where a number or moment
    // belongs shows as it is.
    static QString formatValue(const QVariant& v, FieldType type);

signals:
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterPost();
    void dataChange();        // any change of what the current row shows
    void layoutReset();       // rows replaced wholesale
    void rowUpdated(int row);

private:
    friend class TField;
    struct FieldDef { QString name; FieldType type; bool calculated; QString baseTable; QString baseColumn; };
    // One value as read from the database, kept as it came: null, a whole
    // number, a real number, or text held as UTF-8 in the dataset's text
    // store. Values become QVariants and QStrings only when they are read.
    struct Cell {
        enum Kind : quint8 { Null, Int, Real, Text };
        Kind kind = Null;
        quint32 len = 0;                 // text bytes
        union { qint64 i = 0; double d; quint64 off; };
    };

    // A growing array of plain values: realloc lets a large one grow in place,
    // without copying it or touching its memory twice.
    template <class T> struct Store {
        T* data = nullptr;
        size_t size = 0, cap = 0;
        Store() = default;
        Store(const Store&) = delete;
        Store& operator=(const Store&) = delete;
        ~Store() { std::free(data); }
        void swap(Store& o) noexcept { std::swap(data, o.data); std::swap(size, o.size); std::swap(cap, o.cap); }
        void reserve(size_t c)
        {
            if (c <= cap) return;
            T* p = static_cast<T*>(std::realloc(data, c * sizeof(T)));
            if (!p) throw std::bad_alloc();
            data = p;
            cap = c;
        }
        T* grow(size_t n)
        {
            if (size + n > cap) reserve(std::max<size_t>({size + n, cap * 2, 256}));
            T* at = data + size;
            size += n;
            return at;
        }
        void erase(size_t at, size_t n) { std::memmove(data + at, data + at + n, (size - at - n) * sizeof(T)); size -= n; }
        void release() { std::free(data); data = nullptr; size = cap = 0; }
    };

    const Cell* rowCells(int phys) const { return m_cells.data + qsizetype(phys) * m_fields.size(); }
    Cell* rowCells(int phys) { return m_cells.data + qsizetype(phys) * m_fields.size(); }
    int rowCount() const { return m_fields.isEmpty() ? 0 : int(m_cells.size / size_t(m_fields.size())); }
    Cell* appendRow();
    Cell encode(const QVariant& stored);
    QVariant decode(const Cell& c) const;
    QString textOf(const Cell& c) const;
    QString cellText(const Cell& c, FieldType type) const;
    void storeRow(int phys, const QVector<QVariant>& values);
    QVector<QVariant> decodeRow(int phys) const;
    // The cell a field reads now (the row being calculated or filtered, else the
    // current row); nullptr in edit or insert state or without a row.
    const Cell* currentCell(int col) const;
    QVariant currentValue(int col) const;
    void setCurrent(int col, const QVariant& stored);
    void load();
    void calcRow();
    void rebuildView();
    int physical(int row) const { return m_view.isEmpty() && !m_filtered ? row : m_view[row]; }
    void moveTo(int row, bool force = false);
    QString baseTable() const;
    QStringList keyColumns(const QString& table) const;
    QVector<QVariant> readBackInserted(const QString& table) const;
    void onMasterScroll();

    TADOConnection* m_cn = nullptr;
    QString m_sql, m_table, m_orderBy;
    Params m_params;
    TDataSet* m_master = nullptr;
    QString m_masterField, m_detailField;
    QList<QPair<QString, FieldType>> m_declared, m_calc;
    std::function<bool(TDataSet&)> m_filter;
    bool m_filtered = false;

    QVector<FieldDef> m_fields;
    mutable QHash<QString, int> m_names;   // field name as asked -> its index (-1: none)
    Store<Cell> m_cells;              // the rows, one after the other, a cell per field
    Store<char> m_text;               // the text of every text cell
    size_t m_lastCells = 0, m_lastText = 0;   // sizes of the last read, to make room at once next time
    QVector<int> m_view;              // visible rows when filtered
    QVector<QVariant> m_buffer;       // edit/insert buffer
    QVector<QVariant> m_original;     // row as read, for the key of an update
    State m_state = State::Inactive;
    int m_cur = -1;
    bool m_eof = true, m_bof = true;
    bool m_calculating = false;
    int m_calcRow = -1;
};
