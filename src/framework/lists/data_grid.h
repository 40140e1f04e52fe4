#pragma once

#include "framework/lists/dataset_model.h"
#include "framework/lists/grid_printer.h"

#include <QByteArray>
#include <QStyledItemDelegate>
#include <QTableView>

class TDataSet;
class TGridHeader;
class TGridFooter;

// The data grid: the rows of a dataset under multi-line titles, with footers,
// sort markers (local sorting, or a signal for a server-side sort), column
// resizing and fitting to the width, alternate row colour, selection of
// several rows and editing in the grid. The grid's current row and the
// dataset's current row are kept in step; moving off a row in edit posts it,
// and when posting fails the error is shown and the grid stays on that row.
class TDataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDataGrid(QWidget *Parent = nullptr);
    ~TDataGrid() override;

    void SetDataSet(TDataSet *DataSet);
    TDataSet *DataSet() const;
    TDataSetModel *Model() const { return FModel; }
    TGridHeader *Header() const { return FHeader; }

    // Columns (see TGridColumn). After changing a column through Column(),
    // call ColumnsChanged().
    int AddColumn(const TGridColumn &Column);
    int AddColumn(const QString &FieldName, const QString &Title = QString(), int Width = 0);
    int ColumnCount() const { return FModel->ColumnCount(); }
    TGridColumn &Column(int Index) { return FModel->Column(Index); }
    int FindColumn(const QString &FieldName) const { return FModel->FindColumn(FieldName); }
    void ColumnsChanged();
    bool ColumnVisible(int Index) const;
    void SetColumnVisible(int Index, bool Visible);
    int ColumnWidth(int Index) const { return columnWidth(Index); }
    void SetColumnWidth(int Index, int Width);
    // The visible columns in the order they are shown.
    QList<int> VisibleColumns() const;

    // Options.
    void SetAutoFitColWidths(bool On);
    bool AutoFitColWidths() const { return FAutoFit; }
    void SetMultiSelect(bool On);
    bool MultiSelect() const { return FMultiSelect; }
    void SetRowSelect(bool On); // whole rows are selected, no cell cursor
    bool RowSelect() const { return FRowSelect; }
    void SetAlternateRowColor(bool On);
    void SetReadOnly(bool On);
    bool ReadOnly() const { return FModel->ReadOnly; }
    bool SortLocal = true;        // sort markers sort the rows here; false: the owner sorts
    // Asked after the user changed the markers: true when the owner sorted
    // (a server-side sort), so the grid does not sort locally.
    std::function<bool()> OnSortMarkingChanged;
    bool MultiSortMarking = false; // Ctrl+click adds a column to the sort
    bool EnterAsTab = true;       // Enter moves to the next cell
    int Tag = 0;

    // Sorting by the markers.
    void SetSortMarker(int Column, int Marker); // keeps the other markers when MultiSortMarking
    void ClearSortMarkers();
    // The view row and the dataset row of the grid's current cell.
    int CurrentDataSetRow() const;
    QList<int> SelectedDataSetRows() const; // in view order; the current row when none is selected

    // The column layout (fields, widths, visibility, order, sort markers) as
    // bytes of our own format, and back. A text that cannot be read changes
    // nothing and answers false. Stored columns are matched by field.
    QByteArray SaveLayout() const;
    bool LoadLayout(const QByteArray &Layout);

    // What printing the grid prints.
    TGridPrintData PrintData(const QString &Title) const;

    // Keeps the grid's current cell on the dataset's current row.
    void SyncToDataSet();

    // Shows an error of the grid (a failing post); the default error box
    // (nothing for the silent abort) unless replaced.
    std::function<void(std::exception_ptr Error)> OnError;

signals:
    // The user changed the sort markers (after the rows were sorted when
    // SortLocal).
    void sortMarkingChanged();
    void rowDoubleClicked();

protected:
    void currentChanged(const QModelIndex &Current, const QModelIndex &Previous) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void scrollTo(const QModelIndex &Index, ScrollHint Hint = EnsureVisible) override;

private:
    void HeaderClicked(int Section);
    void SectionResized(int Logical, int OldSize, int NewSize);
    void ApplyColumns();
    void FitColumns();
    void ShowError(std::exception_ptr Error);
    void DataSetRowChanged();
    int FooterHeight() const;

    TDataSetModel *FModel = nullptr;
    TGridHeader *FHeader = nullptr;
    TGridFooter *FFooter = nullptr;
    bool FAutoFit = false;
    bool FMultiSelect = false;
    bool FRowSelect = false;
    bool FSyncing = false;
    bool FFitting = false;
    bool FInGeometry = false;
    QList<int> FBaseWidths;     // the widths fitting scales from
    QByteArray FPendingLayout;  // a layout waiting for its columns
    QMetaObject::Connection FRowConnection;
};

// Draws check-box columns as a centred check box and edits pick-list columns
// with a combo box.
class TGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TGridDelegate(TDataGrid *Grid);

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override;
    QWidget *createEditor(QWidget *Parent, const QStyleOptionViewItem &Option,
                          const QModelIndex &Index) const override;
    void setEditorData(QWidget *Editor, const QModelIndex &Index) const override;
    void setModelData(QWidget *Editor, QAbstractItemModel *Model, const QModelIndex &Index) const override;
    bool editorEvent(QEvent *Event, QAbstractItemModel *Model, const QStyleOptionViewItem &Option,
                     const QModelIndex &Index) override;

private:
    TDataGrid *Grid;
};
