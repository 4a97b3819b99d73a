#pragma once
// A read-only grid over a TDataSet: the columns (field, caption, width) the
// window gives, a selected row that follows the dataset's current row and
// moves it. Rows are drawn on demand, so large datasets stay quick.
#include "platform/DataSet.h"
#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QPointer>
#include <QTableView>
#include <functional>

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column { QString field; QString caption; int width; bool visible; bool dateOnly = false; };
    // How a column title is drawn; an invalid colour keeps the standard one.
    struct TitleStyle { QColor colour; bool bold = false; };

    explicit DataSetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setDataSet(TDataSet* ds);
    TDataSet* dataSet() const { return m_ds; }
    void setColumns(const QVector<Column>& cols);
    const QVector<Column>& columns() const { return m_cols; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& idx, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    std::function<QColor(TDataSet&, int row)> rowForeground;  // invalid colour = default
    void reset();

    void setTitleStyle(int column, const TitleStyle& style);
    void resetTitleStyles();      // every title in the standard colour, plain
    TitleStyle titleStyle(int column) const { return m_titleStyles.value(column); }

private:
    QVariant cellData(const QModelIndex& idx, int role) const;
    int fieldCol(int column) const;
    QPointer<TDataSet> m_ds;
    QVector<Column> m_cols;
    QHash<int, TitleStyle> m_titleStyles;
    mutable QVector<int> m_fieldCols;   // per column, resolved lazily
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void setDataSet(TDataSet* ds);
    TDataSet* dataSet() const { return m_model->dataSet(); }
    // Columns in order; a width of 0 keeps the default.
    void addColumn(const QString& field, const QString& caption, int width = 0);
    void clearColumns();
    void setColumnVisible(int column, bool visible);
    // A moment column that shows the date alone, also for moments with a time of day.
    void setColumnDateOnly(int column, bool on);
    // Colour and weight of a column title; resetTitleStyles draws all plain again.
    void setTitleStyle(int column, const QColor& colour, bool bold);
    void resetTitleStyles() { m_model->resetTitleStyles(); }
    const QVector<DataSetModel::Column>& columns() const { return m_model->columns(); }
    DataSetModel* dataModel() const { return m_model; }

    // The text the grid shows in a column of the selected row ("" when empty).
    QString selectedText(int column) const;
    // Colour of a row's text; an invalid colour keeps the default.
    void setRowForeground(std::function<QColor(TDataSet&, int row)> fn);

signals:
    void cellDoubleClicked();

private:
    void syncFromDataSet();
    void applyWidths();
    DataSetModel* m_model;
    QMetaObject::Connection m_scrollConn, m_resetConn, m_rowConn;
    bool m_syncing = false;
};
