#include "platform/DataSet.h"
#include "platform/Transaction.h"
#include "platform/Convert.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <cmath>
#include <exception>
#include <sqlite3.h>

namespace {

QString bracket(const QString& name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

} // namespace

// ---- TField ----

QString TField::fieldName() const { return m_ds->m_fields[m_col].name; }
FieldType TField::dataType() const { return m_ds->m_fields[m_col].type; }
QVariant TField::value() const { return m_ds->currentValue(m_col); }

bool TField::isNull() const
{
    if (const auto* c = m_ds->currentCell(m_col)) return c->kind == TDataSet::Cell::Null;
    return m_ds->currentValue(m_col).isNull();
}

QString TField::asString() const
{
    // A command reads an amount's text to work with it: text stored where an
    // amount belongs is refused here as by asCurrency (lists show it as it is).
    const bool amount = dataType() == FieldType::Currency;
    if (const auto* c = m_ds->currentCell(m_col)) {
        if (amount && c->kind == TDataSet::Cell::Text) return asCurrency().toString();
        return m_ds->cellText(*c, dataType());
    }
    const QVariant v = value();
    if (amount && v.userType() == QMetaType::QString) return asCurrency().toString();
    return TDataSet::formatValue(v, dataType());
}

QString TField::shownText() const
{
    if (const auto* c = m_ds->currentCell(m_col)) return m_ds->cellText(*c, dataType());
    return TDataSet::formatValue(value(), dataType());
}

qint64 TField::asInteger() const
{
    if (const auto* c = m_ds->currentCell(m_col); c && c->kind == TDataSet::Cell::Int)
        return dataType() == FieldType::Currency ? c->i / Currency::Scale : c->i;
    const QVariant v = value();
    if (v.isNull()) return 0;
    if (dataType() == FieldType::Currency) return StoredCurrency(v).raw() / Currency::Scale;
    if (v.userType() == QMetaType::QString) return StrToInt64(v.toString());
    if (v.userType() == QMetaType::Double) return qint64(std::llround(v.toDouble()));
    return v.toLongLong();
}

Currency TField::asCurrency() const
{
    if (const auto* c = m_ds->currentCell(m_col); c && c->kind == TDataSet::Cell::Int && dataType() == FieldType::Currency)
        return Currency::fromRaw(c->i);
    const QVariant v = value();
    if (v.isNull()) return Currency();
    if (dataType() == FieldType::Currency) return StoredCurrency(v);
    if (v.userType() == QMetaType::QString) return StrToCurr(v.toString());
    if (v.userType() == QMetaType::Double) return Currency::fromRaw(std::llround(v.toDouble() * Currency::Scale));
    return Currency::fromYuan(v.toLongLong());
}

QDateTime TField::asDateTime() const
{
    if (const auto* c = m_ds->currentCell(m_col); c && c->kind == TDataSet::Cell::Real) return DaysToDateTime(c->d);
    return StoredMoment(value());
}

double TField::asFloat() const
{
    const QVariant v = value();
    if (v.isNull()) return 0;
    if (dataType() == FieldType::Currency) return StoredCurrency(v).toDouble();
    if (v.userType() == QMetaType::QString) return StrToFloat(v.toString());
    return v.toDouble();
}

bool TField::asBoolean() const
{
    const QVariant v = value();
    return !v.isNull() && v.toLongLong() != 0;
}

void TField::setValue(const QVariant& v) { setStoredValue(ToStored(v, dataType())); }

void TField::setStoredValue(const QVariant& v)
{
    const auto& f = m_ds->m_fields[m_col];
    if (!(m_ds->m_calculating && f.calculated)
        && m_ds->m_state != TDataSet::State::Edit && m_ds->m_state != TDataSet::State::Insert)
        throw EDatabaseError(QStringLiteral("数据集不在编辑状态，不能修改字段 %1").arg(f.name));
    m_ds->setCurrent(m_col, ToStored(v));
    if (!m_ds->m_calculating) emit m_ds->dataChange();
}

// ---- TDataSet ----

TDataSet::TDataSet(QObject* parent) : QObject(parent) {}
TDataSet::~TDataSet() = default;

void TDataSet::setSQL(const QString& sql)
{
    close();
    m_sql = sql;
    m_table.clear();
    m_params.clear();
}

void TDataSet::setParam(const QString& name, const QVariant& value)
{
    for (auto& p : m_params)
        if (p.first == name) { p.second = value; return; }
    m_params.append({name, value});
}

void TDataSet::setTableName(const QString& table, const QString& orderBy)
{
    close();
    m_table = table;
    m_orderBy = orderBy;
    m_sql.clear();
}

void TDataSet::setMaster(TDataSet* master, const QString& masterField, const QString& detailField)
{
    if (m_master) disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    if (master) {
        connect(master, &TDataSet::afterScroll, this, &TDataSet::onMasterScroll);
        connect(master, &TDataSet::afterClose, this, [this] { close(); });
    }
}

void TDataSet::onMasterScroll()
{
    if (!active() && !m_master->active()) return;
    if (m_state == State::Edit || m_state == State::Insert) cancel();
    try {
        load();
    } catch (...) {
        // Rows of another master row must not stay on show as this one's.
        close();
        throw;
    }
}

void TDataSet::declareField(const QString& name, FieldType type)
{
    for (auto& d : m_declared)
        if (d.first.compare(name, Qt::CaseInsensitive) == 0) { d.second = type; return; }
    m_declared.append({name, type});
}

void TDataSet::addCalcField(const QString& name, FieldType type) { m_calc.append({name, type}); }

void TDataSet::setFilter(std::function<bool(TDataSet&)> accept)
{
    m_filter = std::move(accept);
    if (active() && m_filtered) { rebuildView(); emit layoutReset(); moveTo(0, true); }
}

void TDataSet::setFiltered(bool on)
{
    m_filtered = on;
    if (active()) { rebuildView(); emit layoutReset(); moveTo(0, true); }
}

void TDataSet::open()
{
    if (active()) return;
    load();
    emit afterOpen();
}

void TDataSet::close()
{
    if (!active()) return;
    m_state = State::Inactive;
    // The memory of the rows goes back, not only the rows.
    m_cells.release();
    m_text.release();
    m_view.clear();
    m_buffer.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    emit layoutReset();
    emit afterClose();
}

void TDataSet::requery()
{
    const int keep = m_cur;
    load();
    if (keep > 0 && keep < recordCount()) moveTo(keep, true);
}

int TDataSet::execSQL()
{
    if (!m_cn) throw EDatabaseError(QStringLiteral("数据集没有连接"));
    close();
    return m_cn->execute(m_sql, m_params);
}

int TDataSet::execSQL(const QString& sql, const Params& params)
{
    setSQL(sql);
    m_params = params;
    return execSQL();
}

void TDataSet::load()
{
    if (!m_cn) throw EDatabaseError(QStringLiteral("数据集没有连接"));
    QString sql = m_sql;
    Params params = m_params;
    if (!m_table.isEmpty()) {
        sql = QStringLiteral("SELECT * FROM ") + bracket(m_table);
        if (m_master) {
            sql += QStringLiteral(" WHERE ") + bracket(m_detailField) + QStringLiteral(" = :__master");
            QVariant mv;
            if (m_master->active() && !m_master->isEmpty()) mv = m_master->fieldByName(m_masterField).value();
            params.append({QStringLiteral("__master"), mv});
        }
        if (!m_orderBy.isEmpty()) sql += QStringLiteral(" ORDER BY ") + m_orderBy;
    }
    TStatement stmt(*m_cn, sql, params);
    sqlite3_stmt* st = stmt.handle();
    const int n = sqlite3_column_count(st);
    QVector<FieldDef> fields;
    fields.reserve(n + m_calc.size());
    QVector<bool> typed(n, false);
    for (int i = 0; i < n; ++i) {
        FieldDef f;
        f.name = QString::fromUtf8(sqlite3_column_name(st, i));
        f.calculated = false;
        const char* decl = sqlite3_column_decltype(st, i);
        f.type = decl ? FieldTypeFromDecl(decl) : FieldType::String;
        typed[i] = decl != nullptr;
        for (const auto& d : m_declared)
            if (d.first.compare(f.name, Qt::CaseInsensitive) == 0) { f.type = d.second; typed[i] = true; }
        if (const char* t = sqlite3_column_table_name(st, i)) f.baseTable = QString::fromUtf8(t);
        if (const char* c = sqlite3_column_origin_name(st, i)) f.baseColumn = QString::fromUtf8(c);
        fields.append(f);
    }
    for (const auto& c : m_calc) fields.append({c.first, c.second, true, {}, {}});

    // Each value as it comes: numbers as numbers, text as its UTF-8 bytes in
    // one store. Nothing is decoded until it is read.
    const int width = fields.size();
    Store<Cell> cells;
    Store<char> text;
    // A list read again is about as long as last time: room for it at once.
    cells.reserve(m_lastCells + m_lastCells / 8);
    text.reserve(m_lastText + m_lastText / 8);
    while (stmt.next()) {
        Cell* row = cells.grow(size_t(width));
        // The calculated fields start empty; every read column is written below.
        if (width > n) std::fill_n(row + n, width - n, Cell());
        for (int i = 0; i < n; ++i) {
            Cell& c = row[i];
            c.len = 0;
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: c.kind = Cell::Int; c.i = sqlite3_column_int64(st, i); break;
            case SQLITE_FLOAT: c.kind = Cell::Real; c.d = sqlite3_column_double(st, i); break;
            case SQLITE_NULL: c.kind = Cell::Null; c.i = 0; break;
            default: {
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                const int len = sqlite3_column_bytes(st, i);
                c.kind = Cell::Text;
                c.off = text.size;
                c.len = quint32(len);
                if (len > 0) std::memcpy(text.grow(size_t(len)), p, size_t(len));
            }
            }
        }
    }

    // Expression columns nobody typed: take the type of the first value.
    for (int i = 0; i < n; ++i) {
        if (typed[i]) continue;
        for (size_t r = size_t(i); r < cells.size; r += size_t(width)) {
            const Cell& c = cells.data[r];
            if (c.kind == Cell::Null) continue;
            fields[i].type = c.kind == Cell::Int ? FieldType::Integer : c.kind == Cell::Real ? FieldType::Float : FieldType::String;
            break;
        }
    }

    m_fields = std::move(fields);
    m_names.clear();
    m_cells.swap(cells);
    m_text.swap(text);
    m_lastCells = m_cells.size;
    m_lastText = m_text.size;
    m_buffer.clear();
    m_state = State::Browse;
    try {
        if (onCalcFields && !m_calc.isEmpty())
            for (int r = 0, rows = rowCount(); r < rows; ++r) { m_calcRow = r; calcRow(); }
        m_calcRow = -1;
        rebuildView();
    } catch (...) {
        // Rows half calculated or half filtered are no list to show.
        m_calcRow = -1;
        close();
        throw;
    }
    emit layoutReset();
    moveTo(0, true);
}

void TDataSet::calcRow()
{
    m_calculating = true;
    try { onCalcFields(*this); } catch (...) { m_calculating = false; throw; }
    m_calculating = false;
}

void TDataSet::rebuildView()
{
    m_view.clear();
    if (!m_filtered || !m_filter) {
        if (m_filtered) { m_view.reserve(rowCount()); for (int i = 0; i < rowCount(); ++i) m_view.append(i); }
        return;
    }
    m_view.reserve(rowCount());
    for (int i = 0, rows = rowCount(); i < rows; ++i) {
        m_calcRow = i;
        bool ok = false;
        try { ok = m_filter(*this); } catch (...) { m_calcRow = -1; throw; }
        if (ok) m_view.append(i);
    }
    m_calcRow = -1;
}

int TDataSet::recordCount() const
{
    if (!active()) return 0;
    return m_filtered ? m_view.size() : rowCount();
}

void TDataSet::moveTo(int row, bool force)
{
    const int count = recordCount();
    if (count == 0) {
        m_cur = -1; m_eof = m_bof = true;
    } else {
        row = std::clamp(row, 0, count - 1);
        if (row == m_cur && !force) return;
        m_cur = row;
        m_eof = m_bof = false;
    }
    // Every part of the window hears of the move, also when one before it
    // failed (a detail that could not be read); the first error goes on after.
    std::exception_ptr failed;
    try { emit afterScroll(); } catch (...) { failed = std::current_exception(); }
    try { emit dataChange(); } catch (...) { if (!failed) failed = std::current_exception(); }
    if (failed) std::rethrow_exception(failed);
}

void TDataSet::setRecNo(int row)
{
    if (m_state == State::Edit || m_state == State::Insert) post();
    moveTo(row);
}

void TDataSet::first() { setRecNo(0); m_bof = true; m_eof = isEmpty(); }
void TDataSet::last() { setRecNo(recordCount() - 1); m_eof = true; m_bof = isEmpty(); }

void TDataSet::next()
{
    if (m_cur + 1 >= recordCount()) { m_eof = true; return; }
    setRecNo(m_cur + 1);
}

void TDataSet::prior()
{
    if (m_cur <= 0) { m_bof = true; return; }
    setRecNo(m_cur - 1);
}

bool TDataSet::locate(const QString& field, const QVariant& value)
{
    const int col = fieldIndex(field);
    if (col < 0) throw EDatabaseError(QStringLiteral("找不到字段 %1").arg(field));
    const QVariant want = ToStored(value, m_fields[col].type);
    for (int r = 0; r < recordCount(); ++r) {
        const QVariant v = decode(rowCells(physical(r))[col]);
        bool eq = v.userType() == QMetaType::QString || want.userType() == QMetaType::QString
            ? v.toString().compare(want.toString(), Qt::CaseInsensitive) == 0 && v.isNull() == want.isNull()
            : v == want;
        if (eq) { setRecNo(r); return true; }
    }
    return false;
}

int TDataSet::fieldIndex(const QString& name) const
{
    // Windows look fields up by name for every row: each name is searched once.
    if (auto it = m_names.constFind(name); it != m_names.constEnd()) return *it;
    int found = -1;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) { found = i; break; }
    m_names.insert(name, found);
    return found;
}

TField TDataSet::fieldByName(const QString& name)
{
    const int i = fieldIndex(name);
    if (i < 0) throw EDatabaseError(QStringLiteral("找不到字段 %1").arg(name));
    return TField(this, i);
}

QVariant TDataSet::valueAt(int row, int col) const { return decode(rowCells(physical(row))[col]); }
QString TDataSet::textAt(int row, int col) const { return cellText(rowCells(physical(row))[col], m_fields[col].type); }

TDataSet::Cell TDataSet::encode(const QVariant& v)
{
    Cell c;
    switch (v.userType()) {
    case QMetaType::UnknownType: break;
    case QMetaType::LongLong: case QMetaType::Int: case QMetaType::UInt: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::Short: case QMetaType::Bool:
        c.kind = Cell::Int; c.i = v.toLongLong(); break;
    case QMetaType::Double: case QMetaType::Float:
        c.kind = Cell::Real; c.d = v.toDouble(); break;
    default: {
        if (v.isNull()) break;
        const QByteArray b = v.toString().toUtf8();
        c.kind = Cell::Text;
        c.off = m_text.size;
        c.len = quint32(b.size());
        if (!b.isEmpty()) std::memcpy(m_text.grow(size_t(b.size())), b.constData(), size_t(b.size()));
    }
    }
    return c;
}

QString TDataSet::textOf(const Cell& c) const
{
    // Empty text is text, not null: it reads as an empty string.
    return c.len ? QString::fromUtf8(m_text.data + c.off, qsizetype(c.len)) : QString(QLatin1String(""));
}

QVariant TDataSet::decode(const Cell& c) const
{
    switch (c.kind) {
    case Cell::Null: return {};
    case Cell::Int: return QVariant(qint64(c.i));
    case Cell::Real: return QVariant(c.d);
    case Cell::Text: return QVariant(textOf(c));
    }
    return {};
}

QString TDataSet::cellText(const Cell& c, FieldType type) const
{
    switch (c.kind) {
    case Cell::Null: return {};
    case Cell::Text:
        // Text where a number or moment belongs (written by another tool) shows as it is.
        return textOf(c);
    case Cell::Int:
        if (type == FieldType::Integer || type == FieldType::String) return QString::number(c.i);
        if (type == FieldType::Currency) return Currency::fromRaw(c.i).toString();
        break;
    case Cell::Real:
        if (type == FieldType::DateTime) return DateTimeToStr(DaysToDateTime(c.d));
        if (type == FieldType::Float) return QString::number(c.d, 'g', 15);
        break;
    }
    return formatValue(decode(c), type);
}

TDataSet::Cell* TDataSet::appendRow()
{
    Cell* row = m_cells.grow(size_t(m_fields.size()));
    std::fill_n(row, m_fields.size(), Cell());
    return row;
}

void TDataSet::storeRow(int phys, const QVector<QVariant>& values)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const Cell c = encode(values.value(i));
        rowCells(phys)[i] = c;
    }
}

QVector<QVariant> TDataSet::decodeRow(int phys) const
{
    QVector<QVariant> row(m_fields.size());
    const Cell* cells = rowCells(phys);
    for (int i = 0; i < m_fields.size(); ++i) row[i] = decode(cells[i]);
    return row;
}

const TDataSet::Cell* TDataSet::currentCell(int col) const
{
    if (col < 0 || col >= m_fields.size()) return nullptr;
    if (m_calcRow >= 0) return rowCells(m_calcRow) + col;
    if (m_state != State::Browse || m_cur < 0) return nullptr;
    return rowCells(physical(m_cur)) + col;
}

QVariant TDataSet::currentValue(int col) const
{
    if (const Cell* c = currentCell(col)) return decode(*c);
    if (m_calcRow < 0 && (m_state == State::Edit || m_state == State::Insert) && col >= 0 && col < m_buffer.size())
        return m_buffer[col];
    return {};
}

void TDataSet::setCurrent(int col, const QVariant& stored)
{
    if (m_calcRow >= 0) {
        const Cell c = encode(stored);
        rowCells(m_calcRow)[col] = c;
    } else {
        m_buffer[col] = stored;
    }
}

QString TDataSet::formatValue(const QVariant& v, FieldType type)
{
    if (v.isNull() || !v.isValid()) return {};
    if (v.userType() == QMetaType::QString) return v.toString();
    switch (type) {
    case FieldType::Currency:
        // A number past what money holds shows as stored, as text would.
        if (v.userType() == QMetaType::Double && !StoredNumberFitsMoney(v.toDouble()))
            return QString::number(v.toDouble(), 'g', 15);
        return StoredCurrency(v).toString();
    case FieldType::DateTime: return DateTimeToStr(DaysToDateTime(v.toDouble()));
    case FieldType::Integer:
        if (v.userType() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    case FieldType::Float: return QString::number(v.toDouble(), 'g', 15);
    case FieldType::Boolean: return v.toLongLong() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::String: return v.toString();
    }
    return v.toString();
}

void TDataSet::append()
{
    if (!active()) throw EDatabaseError(QStringLiteral("数据集没有打开"));
    if (m_state == State::Edit || m_state == State::Insert) post();
    m_buffer = QVector<QVariant>(m_fields.size());
    // A detail row belongs to its master.
    if (m_master && m_master->active() && !m_master->isEmpty()) {
        const int col = fieldIndex(m_detailField);
        if (col >= 0) m_buffer[col] = m_master->fieldByName(m_masterField).value();
    }
    m_original.clear();
    m_state = State::Insert;
    emit dataChange();
}

void TDataSet::appendRecord(const Params& values)
{
    try {
        append();
        for (const auto& [name, value] : values) fieldByName(name).setValue(value);
        post();
    } catch (...) {
        cancel();
        close();
        throw;
    }
}

void TDataSet::edit()
{
    if (!active()) throw EDatabaseError(QStringLiteral("数据集没有打开"));
    if (m_state == State::Edit || m_state == State::Insert) return;
    if (isEmpty()) throw EDatabaseError(QStringLiteral("没有可以编辑的记录"));
    m_buffer = decodeRow(physical(m_cur));
    m_original = m_buffer;
    m_state = State::Edit;
}

void TDataSet::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert) return;
    m_buffer.clear();
    m_state = State::Browse;
    emit dataChange();
}

QString TDataSet::baseTable() const
{
    if (!m_table.isEmpty()) return m_table;
    for (const auto& f : m_fields)
        if (!f.baseTable.isEmpty()) return f.baseTable;
    throw EDatabaseError(QStringLiteral("无法确定要更新的表"));
}

QStringList TDataSet::keyColumns(const QString& table) const { return m_cn->keyColumns(table); }

// The inserted row as the database holds it (autonumber keys, defaults),
// over the values the row was posted with.
QVector<QVariant> TDataSet::readBackInserted(const QString& table) const
{
    QVector<QVariant> row = m_buffer;
    TStatement stmt(*m_cn, QStringLiteral("SELECT * FROM %1 WHERE rowid = :id").arg(bracket(table)),
                    {{QStringLiteral("id"), m_cn->lastInsertId()}});
    sqlite3_stmt* st = stmt.handle();
    if (!stmt.next()) return row;
    const int n = sqlite3_column_count(st);
    for (int c = 0; c < n; ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, c));
        for (int i = 0; i < m_fields.size(); ++i) {
            const auto& f = m_fields[i];
            if (f.calculated) continue;
            const QString col = f.baseColumn.isEmpty() ? f.name : f.baseColumn;
            if (col.compare(name, Qt::CaseInsensitive) == 0
                && (f.baseTable.isEmpty() || f.baseTable.compare(table, Qt::CaseInsensitive) == 0))
                row[i] = ColumnValue(st, c);
        }
    }
    return row;
}

void TDataSet::post()
{
    if (m_state != State::Edit && m_state != State::Insert) return;
    const QString table = baseTable();
    QStringList cols, holders;
    Params params;
    int p = 0;
    for (int i = 0; i < m_fields.size(); ++i) {
        const auto& f = m_fields[i];
        if (f.calculated) continue;
        if (!f.baseTable.isEmpty() && f.baseTable.compare(table, Qt::CaseInsensitive) != 0) continue;
        if (m_table.isEmpty() && f.baseColumn.isEmpty()) continue;
        const QString column = f.baseColumn.isEmpty() ? f.name : f.baseColumn;
        if (m_state == State::Insert) {
            if (m_buffer[i].isNull()) continue;
        } else if (m_buffer[i] == m_original[i] && m_buffer[i].isNull() == m_original[i].isNull()) {
            continue;
        }
        const QString h = QStringLiteral(":p%1").arg(p++);
        cols << bracket(column);
        holders << h;
        params.append({h, m_buffer[i]});
    }

    int physRow = -1;
    if (m_state == State::Insert) {
        const QString sql = cols.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(bracket(table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(bracket(table), cols.join(QLatin1Char(',')), holders.join(QLatin1Char(',')));
        // The row and its read-back are one change: a read-back that fails
        // undoes the insert, so its error box never stands over a written row.
        QVector<QVariant> row;
        {
            TTransaction tr(*m_cn);
            m_cn->execute(sql, params);
            row = readBackInserted(table);
            tr.commit();
        }
        m_buffer = row;
        appendRow();
        physRow = rowCount() - 1;
        storeRow(physRow, m_buffer);
        if (m_filtered) m_view.append(physRow);
    } else {
        if (!cols.isEmpty()) {
            const QStringList keys = keyColumns(table);
            if (keys.isEmpty()) throw EDatabaseError(QStringLiteral("表 %1 没有主键，不能更新").arg(table));
            QStringList sets, where;
            for (int i = 0; i < cols.size(); ++i) sets << cols[i] + QLatin1Char('=') + holders[i];
            for (int k = 0; k < keys.size(); ++k) {
                int col = -1;
                for (int i = 0; i < m_fields.size(); ++i) {
                    const auto& f = m_fields[i];
                    const QString c = f.baseColumn.isEmpty() ? f.name : f.baseColumn;
                    if (!f.calculated && c.compare(keys[k], Qt::CaseInsensitive) == 0) { col = i; break; }
                }
                if (col < 0) throw EDatabaseError(QStringLiteral("查询中缺少表 %1 的主键 %2，不能更新").arg(table, keys[k]));
                const QString h = QStringLiteral(":k%1").arg(k);
                where << bracket(keys[k]) + QLatin1Char('=') + h;
                params.append({h, m_original[col]});
            }
            const int changed = m_cn->execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(bracket(table), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" AND "))), params);
            if (changed == 0) throw EChangedError();
        }
        physRow = physical(m_cur);
        storeRow(physRow, m_buffer);
    }
    m_buffer.clear();
    const bool inserted = m_state == State::Insert;
    m_state = State::Browse;
    if (onCalcFields && !m_calc.isEmpty()) { m_calcRow = physRow; calcRow(); m_calcRow = -1; }
    if (inserted) {
        emit layoutReset();
        moveTo(recordCount() - 1, true);
    } else {
        emit rowUpdated(m_cur);
        emit dataChange();
    }
    emit afterPost();
}

void TDataSet::deleteRecord()
{
    if (m_state == State::Insert) { cancel(); return; }
    if (m_state == State::Edit) cancel();
    if (isEmpty()) throw EDatabaseError(QStringLiteral("没有可以删除的记录"));
    const QString table = baseTable();
    const QStringList keys = keyColumns(table);
    if (keys.isEmpty()) throw EDatabaseError(QStringLiteral("表 %1 没有主键，不能删除").arg(table));
    const int phys = physical(m_cur);
    QStringList where;
    Params params;
    for (int k = 0; k < keys.size(); ++k) {
        const int col = fieldIndex(keys[k]);
        if (col < 0) throw EDatabaseError(QStringLiteral("查询中缺少表 %1 的主键 %2，不能删除").arg(table, keys[k]));
        where << bracket(keys[k]) + QStringLiteral("=:k%1").arg(k);
        params.append({QStringLiteral(":k%1").arg(k), decode(rowCells(phys)[col])});
    }
    m_cn->execute(QStringLiteral("DELETE FROM %1 WHERE %2").arg(bracket(table), where.join(QStringLiteral(" AND "))), params);
    m_cells.erase(size_t(phys) * size_t(m_fields.size()), size_t(m_fields.size()));
    if (m_filtered) {
        m_view.remove(m_cur);
        for (int& v : m_view) if (v > phys) --v;
    }
    emit layoutReset();
    moveTo(std::min(m_cur, recordCount() - 1), true);
}
