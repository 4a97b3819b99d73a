#include "platform/DBGrid.h"
#include "platform/Handler.h"
#include "platform/Moment.h"
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

namespace {
// A row's own text colour also shows when the row is selected.
class RowColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
protected:
    void initStyleOption(QStyleOptionViewItem* opt, const QModelIndex& idx) const override
    {
        QStyledItemDelegate::initStyleOption(opt, idx);
        const QVariant fg = idx.data(Qt::ForegroundRole);
        if (fg.isValid()) opt->palette.setColor(QPalette::HighlightedText, fg.value<QColor>());
    }
};
}

void DataSetModel::setDataSet(TDataSet* ds)
{
    beginResetModel();
    m_ds = ds;
    m_fieldCols.clear();
    endResetModel();
}

void DataSetModel::setColumns(const QVector<Column>& cols)
{
    beginResetModel();
    m_cols = cols;
    m_fieldCols.clear();
    endResetModel();
}

void DataSetModel::reset()
{
    beginResetModel();
    m_fieldCols.clear();
    endResetModel();
}

int DataSetModel::fieldCol(int column) const
{
    if (!m_ds || !m_ds->active()) return -1;
    if (m_fieldCols.size() != m_cols.size()) {
        m_fieldCols.resize(m_cols.size());
        for (int i = 0; i < m_cols.size(); ++i) m_fieldCols[i] = m_ds->fieldIndex(m_cols[i].field);
    }
    return m_fieldCols[column];
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_ds) return 0;
    return m_ds->recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols.size();
}

QVariant DataSetModel::data(const QModelIndex& idx, int role) const
{
    // Painting never fails: whatever a value or a window's colour rule throws,
    // the cell shows the value as stored.
    try {
        return cellData(idx, role);
    } catch (...) {
        const int fc = role == Qt::DisplayRole ? fieldCol(idx.column()) : -1;
        return fc < 0 ? QVariant() : QVariant(m_ds->valueAt(idx.row(), fc).toString());
    }
}

QVariant DataSetModel::cellData(const QModelIndex& idx, int role) const
{
    if (!idx.isValid() || !m_ds || idx.row() >= m_ds->recordCount()) return {};
    if (role == Qt::DisplayRole) {
        const int fc = fieldCol(idx.column());
        if (fc < 0) return QString();
        if (m_cols[idx.column()].dateOnly && m_ds->fieldType(fc) == FieldType::DateTime) {
            const QVariant v = m_ds->valueAt(idx.row(), fc);
            if (!v.isNull() && v.userType() != QMetaType::QString) return DateToStr(DaysToDateTime(v.toDouble()).date());
        }
        return m_ds->textAt(idx.row(), fc);
    }
    if (role == Qt::ForegroundRole && rowForeground) {
        const QColor c = rowForeground(*m_ds, idx.row());
        if (c.isValid()) return c;
    }
    if (role == Qt::TextAlignmentRole) {
        const int fc = fieldCol(idx.column());
        if (fc >= 0) {
            const FieldType t = m_ds->fieldType(fc);
            if (t == FieldType::Integer || t == FieldType::Currency || t == FieldType::Float)
                return int(Qt::AlignRight | Qt::AlignVCenter);
        }
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < m_cols.size()) return m_cols[section].caption;
    if (o == Qt::Horizontal && role == Qt::ForegroundRole && m_titleStyles.value(section).colour.isValid())
        return QBrush(m_titleStyles.value(section).colour);
    if (o == Qt::Horizontal && role == Qt::FontRole && m_titleStyles.value(section).bold) {
        QFont f;
        f.setBold(true);
        return f;
    }
    // The row header is an indicator column, not a row count.
    if (o == Qt::Vertical && role == Qt::DisplayRole) return QString();
    return QAbstractTableModel::headerData(section, o, role);
}

void DataSetModel::setTitleStyle(int column, const TitleStyle& style)
{
    m_titleStyles.insert(column, style);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DataSetModel::resetTitleStyles()
{
    m_titleStyles.clear();
    if (!m_cols.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, int(m_cols.size()) - 1);
}

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), m_model(new DataSetModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setMinimumSectionSize(18);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"
                                 "QHeaderView::section { background: #ece9d8; padding: 2px 4px; border: 1px solid #c0c0c0; }"));
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, QColor(0x0a, 0x24, 0x6a));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
    setItemDelegate(new RowColourDelegate(this));
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
        if (m_syncing || !dataSet() || !cur.isValid()) return;
        m_syncing = true;
        bool moved = false;
        RunGuarded(window(), [&] { dataSet()->setRecNo(cur.row()); moved = true; });
        m_syncing = false;
        // After a failed move the selection goes where the dataset stands.
        if (!moved) syncFromDataSet();
    });
    connect(this, &QTableView::doubleClicked, this, [this] { emit cellDoubleClicked(); });
}

void TDBGrid::setDataSet(TDataSet* ds)
{
    disconnect(m_scrollConn);
    disconnect(m_resetConn);
    disconnect(m_rowConn);
    m_model->setDataSet(ds);
    if (ds) {
        m_resetConn = connect(ds, &TDataSet::layoutReset, this, [this] { m_model->reset(); applyWidths(); });
        m_scrollConn = connect(ds, &TDataSet::afterScroll, this, &TDBGrid::syncFromDataSet);
        m_rowConn = connect(ds, &TDataSet::rowUpdated, this, [this](int row) {
            emit m_model->dataChanged(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
        });
    }
    applyWidths();
    syncFromDataSet();
}

void TDBGrid::syncFromDataSet()
{
    if (m_syncing || !dataSet()) return;
    m_syncing = true;
    const int row = dataSet()->recNo();
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex idx = m_model->index(row, 0);
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else {
        selectionModel()->clearSelection();
    }
    m_syncing = false;
}

void TDBGrid::addColumn(const QString& field, const QString& caption, int width)
{
    auto cols = m_model->columns();
    cols.append({field, caption, width, true});
    m_model->setColumns(cols);
    applyWidths();
}

void TDBGrid::clearColumns() { m_model->setColumns({}); }

void TDBGrid::setColumnVisible(int column, bool visible)
{
    auto cols = m_model->columns();
    if (column < 0 || column >= cols.size()) return;
    cols[column].visible = visible;
    m_model->setColumns(cols);
    applyWidths();
}

void TDBGrid::setColumnDateOnly(int column, bool on)
{
    auto cols = m_model->columns();
    if (column < 0 || column >= cols.size()) return;
    cols[column].dateOnly = on;
    m_model->setColumns(cols);
    applyWidths();
}

void TDBGrid::setTitleStyle(int column, const QColor& colour, bool bold)
{
    m_model->setTitleStyle(column, {colour, bold});
    horizontalHeader()->viewport()->update();
}

void TDBGrid::applyWidths()
{
    const auto& cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        setColumnHidden(i, !cols[i].visible);
        // Widths are given in the layout's pixels; leave room for the header text.
        const int textWidth = fontMetrics().horizontalAdvance(cols[i].caption) + 12;
        setColumnWidth(i, std::max(cols[i].width > 0 ? cols[i].width : 80, cols[i].width > 0 ? 0 : textWidth));
    }
}

QString TDBGrid::selectedText(int column) const
{
    TDataSet* ds = dataSet();
    if (!ds || !ds->active() || ds->isEmpty() || column < 0 || column >= m_model->columns().size()) return {};
    const int fc = ds->fieldIndex(m_model->columns()[column].field);
    return fc < 0 ? QString() : ds->textAt(ds->recNo(), fc);
}

void TDBGrid::setRowForeground(std::function<QColor(TDataSet&, int row)> fn)
{
    m_model->rowForeground = std::move(fn);
    viewport()->update();
}
