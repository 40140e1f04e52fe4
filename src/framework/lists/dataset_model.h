#pragma once

#include "framework/data/dataset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <functional>
#include <vector>


enum class TFooterKind { None, Sum, Count, Text };

// One column of a data grid: the field it shows and how.
struct TGridColumn
{
    QString FieldName;
    QString Title;             // "A|B" for two title levels; empty: the field's display name
    int Width = 0;             // pixels; 0: from the field's display width
    bool Visible = true;
    Qt::Alignment Alignment;   // empty: numbers to the right, the rest to the left
    bool ReadOnly = false;
    QString DisplayFormat;     // empty: the field's own
    // A check box instead of text: checked when the value equals CheckedValue;
    // a click stores CheckedValue or UncheckedValue.
    bool CheckBox = false;
    QVariant CheckedValue = 1;
    QVariant UncheckedValue = 0;
    // A pick list: the cell's editor offers the items; with KeyList the cell
    // shows the item of the stored key and stores the key of the chosen item.
    QStringList PickList;
    QStringList KeyList;
    // The footer line under the column.
    TFooterKind Footer = TFooterKind::None;
    QString FooterText;        // TFooterKind::Text; a screen may set it at any time
    QString FooterFormat;      // TFooterKind::Sum: a number pattern (empty: the field's format)
    // A click on the title sorts by the column; the marker shows how.
    bool TitleButton = false;
    int SortMarker = 0;        // 0 none, 1 ascending, 2 descending
    int SortIndex = 0;         // 1-based place among the sorted columns
    int Tag = 0;
};

// What a screen may change for one cell before it is drawn.
struct TCellParams
{
    int Row = -1;              // the dataset's row (0-based)
    int Column = -1;           // the grid column
    TField *Field = nullptr;
    QColor Background;         // invalid: the grid's own
    QColor Foreground;
    QFont Font;
    bool FontChanged = false;  // set when Font was changed
};

// The rows of a dataset as a table, one column per grid column. Rows are read
// without moving the dataset; the current row in edit shows its edit buffer.
// The order of the rows may differ from the dataset's when the grid sorts
// locally: view rows map to dataset rows.
class TDataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TDataSetModel(QObject *Parent = nullptr);
    ~TDataSetModel() override;

    void SetDataSet(TDataSet *DataSet);
    TDataSet *DataSet() const { return FDataSet; }

    // Columns. Without columns of its own the model shows one column for every
    // visible field of the dataset, made when the dataset opens.
    const QList<TGridColumn> &Columns() const { return FColumns; }
    TGridColumn &Column(int Index) { return FColumns[Index]; }
    const TGridColumn &Column(int Index) const { return FColumns[Index]; }
    int ColumnCount() const { return int(FColumns.size()); }
    void SetColumns(const QList<TGridColumn> &Columns);
    int AddColumn(const TGridColumn &Column);
    int AddColumn(const QString &FieldName, const QString &Title = QString(), int Width = 0);
    void ClearColumns();
    int FindColumn(const QString &FieldName) const; // -1 when none
    bool AutoColumns() const { return FAuto; }
    // Tells the views that titles, footers or markers of the columns changed.
    void ColumnsChanged();
    TField *ColumnField(int Column) const; // null when the dataset lacks it
    QString ColumnTitle(int Column) const;
    int DefaultWidth(int Column, const QFontMetrics &Metrics) const;

    // Rows.
    int RowCount() const;
    int DataSetRow(int ViewRow) const; // -1 when out of range
    int ViewRow(int DataSetRow) const; // -1 when out of range

    // Local sort by the columns' sort markers (in the order of SortIndex);
    // without markers the dataset's order.
    void SortRows();
    QList<int> SortedColumns() const; // column indexes in SortIndex order
    void ClearSortMarkers();
    bool IsSorted() const { return !FOrder.empty(); }

    // Footers.
    bool HasFooters() const;
    QString FooterText(int Column) const;

    // Cell text as shown (and as printed or exported).
    QString CellText(int ViewRow, int Column) const;

    // Editing in the grid.
    bool ReadOnly = false;
    // Colours and fonts of single cells.
    std::function<void(TCellParams &Params)> OnGetCellParams;
    TCellParams CellParams(int ViewRow, int Column) const;
    // How the model reports an error of an edit (the grid shows it).
    std::function<void(std::exception_ptr Error)> OnError;

    // QAbstractItemModel.
    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &Index) const override;
    bool setData(const QModelIndex &Index, const QVariant &Value, int Role = Qt::EditRole) override;

signals:
    void footersChanged();
    void columnsReset(); // the column list was replaced (auto columns included)

private:
    void Reset();
    void MakeAutoColumns();
    void InvalidateFields();
    void InvalidateFooters();
    void RowInserted(int Row);
    void RowRemoved(int Row);
    void RowUpdated(int Row);
    void CurrentRowChanged();
    bool StoreValue(int ViewRow, int Column, const QVariant &Value, int Role);
    void ReportError(std::exception_ptr Error) const;

    QPointer<TDataSet> FDataSet;
    QList<TGridColumn> FColumns;
    bool FAuto = true;
    mutable std::vector<TField *> FFields;
    mutable bool FFieldsValid = false;
    std::vector<int> FOrder;    // view row -> dataset row; empty: the same
    std::vector<int> FInverse;  // dataset row -> view row
    mutable QStringList FFooterCache;
    mutable bool FFootersValid = false;
    int FRows = 0;
    int FLastCurrent = -1;
    QList<QMetaObject::Connection> FConnections;
};
