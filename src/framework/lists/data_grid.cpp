#include "framework/lists/data_grid.h"

#include "framework/data/dataset.h"
#include "framework/forms/application.h"
#include "framework/lists/grid_header.h"

#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

// The footer line of the grid: one cell under every visible column, drawn
// over the bottom of the rows' area and moving with the columns.
class TGridFooter : public QWidget
{
public:
    TGridFooter(TDataGrid *Grid) : QWidget(Grid), Grid(Grid) { setAutoFillBackground(false); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QPalette pal = palette();
        p.fillRect(rect(), pal.color(QPalette::Button));
        TDataSetModel *m = Grid->Model();
        QHeaderView *h = Grid->horizontalHeader();
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        for (int c : Grid->VisibleColumns()) {
            const int x = h->sectionViewportPosition(c);
            const int w = h->sectionSize(c);
            QRect r(x, 0, w, height());
            p.setPen(pal.color(QPalette::Mid));
            p.drawLine(r.topRight(), r.bottomRight());
            const TGridColumn &col = m->Column(c);
            if (col.Footer == TFooterKind::None)
                continue;
            Qt::Alignment a = col.Alignment & Qt::AlignHorizontal_Mask;
            if (!a) {
                const QVariant v = m->data(m->index(0, c), Qt::TextAlignmentRole);
                a = v.isValid() ? Qt::Alignment(v.toInt()) & Qt::AlignHorizontal_Mask
                                : Qt::Alignment(Qt::AlignLeft);
                if (col.Footer == TFooterKind::Sum || col.Footer == TFooterKind::Count)
                    a = Qt::AlignRight;
            }
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(r.adjusted(4, 0, -4, 0), int(a | Qt::AlignVCenter), m->FooterText(c));
        }
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(0, 0, width(), 0);
    }

private:
    TDataGrid *Grid;
};

TDataGrid::TDataGrid(QWidget *Parent) : QTableView(Parent)
{
    FFooter = new TGridFooter(this);
    FFooter->hide();
    FModel = new TDataSetModel(this);
    FHeader = new TGridHeader(this);
    setHorizontalHeader(FHeader);
    setModel(FModel);
    setItemDelegate(new TGridDelegate(this));

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    SetAlternateRowColor(true);
    setTabKeyNavigation(true);

    FModel->OnError = [this](std::exception_ptr e) { ShowError(e); };
    connect(FHeader, &QHeaderView::sectionClicked, this, &TDataGrid::HeaderClicked);
    connect(FHeader, &QHeaderView::sectionResized, this, &TDataGrid::SectionResized);
    connect(FHeader, &QHeaderView::sectionMoved, FFooter, qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, FFooter, qOverload<>(&QWidget::update));
    connect(FModel, &TDataSetModel::footersChanged, FFooter, qOverload<>(&QWidget::update));
    connect(FModel, &TDataSetModel::columnsReset, this, &TDataGrid::ApplyColumns);
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        // the current cell follows the dataset after new rows
        QTimer::singleShot(0, this, &TDataGrid::SyncToDataSet);
        SyncToDataSet();
    });
    connect(FModel, &QAbstractItemModel::headerDataChanged, FHeader, [this] {
        FHeader->viewport()->update();
        updateGeometries();
    });
}

TDataGrid::~TDataGrid() = default;

void TDataGrid::SetDataSet(TDataSet *DataSet)
{
    disconnect(FRowConnection);
    FModel->SetDataSet(DataSet);
    if (DataSet)
        FRowConnection = connect(DataSet, &TDataSet::rowChanged, this, &TDataGrid::DataSetRowChanged);
    ApplyColumns();
    SyncToDataSet();
}

TDataSet *TDataGrid::DataSet() const
{
    return FModel->DataSet();
}

int TDataGrid::AddColumn(const TGridColumn &Column)
{
    const int i = FModel->AddColumn(Column);
    return i;
}

int TDataGrid::AddColumn(const QString &FieldName, const QString &Title, int Width)
{
    TGridColumn c;
    c.FieldName = FieldName;
    c.Title = Title;
    c.Width = Width;
    return AddColumn(c);
}

void TDataGrid::ColumnsChanged()
{
    FModel->ColumnsChanged();
    for (int i = 0; i < FModel->ColumnCount(); ++i)
        setColumnHidden(i, !FModel->Column(i).Visible);
    if (FAutoFit)
        FitColumns();
    updateGeometries();
    FFooter->update();
}

bool TDataGrid::ColumnVisible(int Index) const
{
    return Index >= 0 && Index < FModel->ColumnCount() && FModel->Column(Index).Visible;
}

void TDataGrid::SetColumnVisible(int Index, bool Visible)
{
    if (Index < 0 || Index >= FModel->ColumnCount())
        return;
    FModel->Column(Index).Visible = Visible;
    setColumnHidden(Index, !Visible);
    if (FAutoFit)
        FitColumns();
    FHeader->viewport()->update();
    updateGeometries();
    FFooter->update();
}

void TDataGrid::SetColumnWidth(int Index, int Width)
{
    if (Index < 0 || Index >= FModel->ColumnCount())
        return;
    while (FBaseWidths.size() <= Index)
        FBaseWidths.append(64);
    FBaseWidths[Index] = Width;
    FModel->Column(Index).Width = Width;
    FFitting = true;
    setColumnWidth(Index, Width);
    FFitting = false;
    if (FAutoFit)
        FitColumns();
}

QList<int> TDataGrid::VisibleColumns() const
{
    QList<int> out;
    for (int v = 0; v < FHeader->count(); ++v) {
        const int l = FHeader->logicalIndex(v);
        if (l >= 0 && l < FModel->ColumnCount() && !FHeader->isSectionHidden(l))
            out.append(l);
    }
    return out;
}

void TDataGrid::ApplyColumns()
{
    // New columns: their widths and visibility from their definitions, then
    // any layout that waited for them.
    FBaseWidths.clear();
    FFitting = true;
    for (int i = 0; i < FModel->ColumnCount(); ++i) {
        const int w = FModel->DefaultWidth(i, fontMetrics());
        FBaseWidths.append(w);
        setColumnWidth(i, w);
        setColumnHidden(i, !FModel->Column(i).Visible);
    }
    FFitting = false;
    if (!FPendingLayout.isEmpty() && FModel->ColumnCount() > 0) {
        const QByteArray l = FPendingLayout;
        FPendingLayout.clear();
        LoadLayout(l);
    }
    if (FAutoFit)
        FitColumns();
    updateGeometries();
}

void TDataGrid::SetAutoFitColWidths(bool On)
{
    FAutoFit = On;
    setHorizontalScrollBarPolicy(On ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (On)
        FitColumns();
}

void TDataGrid::SetMultiSelect(bool On)
{
    FMultiSelect = On;
    setSelectionMode(On ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (On)
        setSelectionBehavior(QAbstractItemView::SelectRows);
    else if (!FRowSelect)
        setSelectionBehavior(QAbstractItemView::SelectItems);
}

void TDataGrid::SetRowSelect(bool On)
{
    FRowSelect = On;
    setSelectionBehavior(On || FMultiSelect ? QAbstractItemView::SelectRows
                                            : QAbstractItemView::SelectItems);
}

void TDataGrid::SetAlternateRowColor(bool On)
{
    setAlternatingRowColors(On);
    if (On) {
        QPalette p = palette();
        p.setColor(QPalette::AlternateBase, QColor(240, 245, 252));
        setPalette(p);
    }
}

void TDataGrid::SetReadOnly(bool On)
{
    FModel->ReadOnly = On;
}

int TDataGrid::FooterHeight() const
{
    return FModel->HasFooters() ? fontMetrics().height() + 8 : 0;
}

void TDataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    if (FInGeometry || !FModel || !FFooter)
        return;
    FInGeometry = true;
    const int fh = FooterHeight();
    if (fh > 0) {
        const QRect vg = viewport()->geometry();
        FFooter->setGeometry(vg.left(), vg.bottom() - fh + 1, vg.width(), fh);
        FFooter->show();
        FFooter->raise();
        // The rows can scroll above the footer.
        const int avail = std::max(1, viewport()->height() - fh);
        const int content = verticalHeader()->length();
        verticalScrollBar()->setPageStep(avail);
        verticalScrollBar()->setRange(0, std::max(0, content - avail));
        FFooter->update();
    } else {
        FFooter->hide();
    }
    FInGeometry = false;
}

void TDataGrid::scrollTo(const QModelIndex &Index, ScrollHint Hint)
{
    QTableView::scrollTo(Index, Hint);
    const int fh = FooterHeight();
    if (fh > 0 && Index.isValid()) {
        const QRect r = visualRect(Index);
        const int limit = viewport()->height() - fh;
        if (r.bottom() > limit)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + r.bottom() - limit);
    }
}

void TDataGrid::resizeEvent(QResizeEvent *Event)
{
    QTableView::resizeEvent(Event);
    if (FAutoFit)
        FitColumns();
}

void TDataGrid::FitColumns()
{
    const QList<int> cols = VisibleColumns();
    if (cols.isEmpty())
        return;
    while (FBaseWidths.size() < FModel->ColumnCount())
        FBaseWidths.append(64);
    const int avail = viewport()->width();
    if (avail <= 0)
        return;
    double total = 0;
    for (int c : cols)
        total += std::max(1, FBaseWidths[c]);
    FFitting = true;
    int used = 0;
    for (int i = 0; i < cols.size(); ++i) {
        const int c = cols[i];
        int w = i + 1 == cols.size() ? avail - used
                                     : int(std::lround(std::max(1, FBaseWidths[c]) * avail / total));
        w = std::max(w, 10);
        setColumnWidth(c, w);
        used += w;
    }
    FFitting = false;
    FFooter->update();
}

void TDataGrid::SectionResized(int Logical, int, int NewSize)
{
    FFooter->update();
    if (FFitting || Logical < 0 || Logical >= FModel->ColumnCount())
        return;
    while (FBaseWidths.size() < FModel->ColumnCount())
        FBaseWidths.append(64);
    FModel->Column(Logical).Width = NewSize;
    if (!FAutoFit) {
        FBaseWidths[Logical] = NewSize;
        return;
    }
    // The user resized a column: the columns to its right share what is left.
    const QList<int> cols = VisibleColumns();
    const int k = int(cols.indexOf(Logical));
    const int avail = viewport()->width();
    int used = 0;
    for (int i = 0; i <= k; ++i)
        used += columnWidth(cols[i]);
    double rightBase = 0;
    for (int i = k + 1; i < cols.size(); ++i)
        rightBase += std::max(1, FBaseWidths[cols[i]]);
    FFitting = true;
    if (k + 1 < cols.size()) {
        const int rest = std::max(avail - used, 10 * int(cols.size() - k - 1));
        int given = 0;
        for (int i = k + 1; i < cols.size(); ++i) {
            int w = i + 1 == cols.size()
                        ? rest - given
                        : int(std::lround(std::max(1, FBaseWidths[cols[i]]) * rest / rightBase));
            w = std::max(w, 10);
            setColumnWidth(cols[i], w);
            given += w;
        }
    }
    FFitting = false;
    for (int c : cols)
        FBaseWidths[c] = columnWidth(c);
}

void TDataGrid::SetSortMarker(int Column, int Marker)
{
    if (Column < 0 || Column >= FModel->ColumnCount())
        return;
    if (!MultiSortMarking) {
        for (int i = 0; i < FModel->ColumnCount(); ++i)
            if (i != Column) {
                FModel->Column(i).SortMarker = 0;
                FModel->Column(i).SortIndex = 0;
            }
    }
    TGridColumn &c = FModel->Column(Column);
    if (Marker == 0) {
        c.SortMarker = 0;
        c.SortIndex = 0;
    } else {
        if (c.SortMarker == 0) {
            int maxIndex = 0;
            for (int i = 0; i < FModel->ColumnCount(); ++i)
                maxIndex = std::max(maxIndex, FModel->Column(i).SortIndex);
            c.SortIndex = maxIndex + 1;
        }
        c.SortMarker = Marker;
    }
    // renumber 1..n in their order
    const QList<int> sorted = FModel->SortedColumns();
    for (int i = 0; i < sorted.size(); ++i)
        FModel->Column(sorted[i]).SortIndex = i + 1;
    FHeader->viewport()->update();
}

void TDataGrid::ClearSortMarkers()
{
    FModel->ClearSortMarkers();
    if (SortLocal)
        FModel->SortRows();
    FHeader->viewport()->update();
}

void TDataGrid::HeaderClicked(int Section)
{
    if (Section < 0 || Section >= FModel->ColumnCount() || !FModel->Column(Section).TitleButton)
        return;
    const bool add = MultiSortMarking && (QApplication::keyboardModifiers() & Qt::ControlModifier);
    const int old = FModel->Column(Section).SortMarker;
    const int marker = old == 1 ? 2 : 1;
    if (!add) {
        const bool keep = MultiSortMarking;
        MultiSortMarking = false;
        SetSortMarker(Section, marker);
        MultiSortMarking = keep;
    } else {
        SetSortMarker(Section, marker);
    }
    FHeader->viewport()->update();
    if (OnSortMarkingChanged && OnSortMarkingChanged()) {
        emit sortMarkingChanged();
        return;
    }
    if (SortLocal) {
        TDataSet *ds = DataSet();
        if (ds && ds->Active()) {
            try {
                ds->CheckBrowseMode();
            } catch (...) {
                ShowError(std::current_exception());
                return;
            }
        }
        FModel->SortRows();
        SyncToDataSet();
    }
    emit sortMarkingChanged();
}

int TDataGrid::CurrentDataSetRow() const
{
    return FModel->DataSetRow(currentIndex().row());
}

QList<int> TDataGrid::SelectedDataSetRows() const
{
    QList<int> rows;
    if (selectionModel()) {
        QList<int> views;
        for (const QModelIndex &i : selectionModel()->selectedRows())
            views.append(i.row());
        std::sort(views.begin(), views.end());
        for (int v : views) {
            const int r = FModel->DataSetRow(v);
            if (r >= 0)
                rows.append(r);
        }
    }
    if (rows.isEmpty() && CurrentDataSetRow() >= 0)
        rows.append(CurrentDataSetRow());
    return rows;
}

void TDataGrid::SyncToDataSet()
{
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active() || ds->CurrentRow() < 0)
        return;
    const int v = FModel->ViewRow(ds->CurrentRow());
    if (v < 0)
        return;
    if (currentIndex().row() == v)
        return;
    int col = currentIndex().isValid() ? currentIndex().column() : -1;
    if (col < 0 || isColumnHidden(col)) {
        const QList<int> vis = VisibleColumns();
        col = vis.isEmpty() ? 0 : vis.first();
    }
    FSyncing = true;
    const QModelIndex idx = FModel->index(v, col);
    if (selectionModel()) {
        selectionModel()->setCurrentIndex(idx, FMultiSelect ? QItemSelectionModel::NoUpdate
                                                            : QItemSelectionModel::ClearAndSelect |
                                                                  (FRowSelect ? QItemSelectionModel::Rows
                                                                              : QItemSelectionModel::NoUpdate));
    }
    FSyncing = false;
    scrollTo(idx);
}

void TDataGrid::DataSetRowChanged()
{
    if (!FSyncing)
        SyncToDataSet();
}

void TDataGrid::currentChanged(const QModelIndex &Current, const QModelIndex &Previous)
{
    QTableView::currentChanged(Current, Previous);
    if (Previous.row() != Current.row())
        viewport()->update(); // the row highlight moves
    FFooter->update();
    if (FSyncing || !Current.isValid())
        return;
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active())
        return;
    const int r = FModel->DataSetRow(Current.row());
    if (r < 0 || r == ds->CurrentRow())
        return;
    FSyncing = true;
    try {
        ds->SetRecNo(r + 1);
        FSyncing = false;
    } catch (...) {
        FSyncing = false;
        // The row that could not be posted stays current, in edit.
        QTimer::singleShot(0, this, &TDataGrid::SyncToDataSet);
        ShowError(std::current_exception());
    }
}

void TDataGrid::ShowError(std::exception_ptr Error)
{
    if (OnError)
        OnError(Error);
    else
        HandleException(Error);
}

void TDataGrid::keyPressEvent(QKeyEvent *Event)
{
    const int key = Event->key();
    const bool plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter) && EnterAsTab &&
        state() != QAbstractItemView::EditingState) {
        const QList<int> vis = VisibleColumns();
        const QModelIndex cur = currentIndex();
        if (cur.isValid() && !vis.isEmpty()) {
            const int at = int(vis.indexOf(cur.column()));
            QModelIndex next;
            if (at >= 0 && at + 1 < vis.size())
                next = FModel->index(cur.row(), vis[at + 1]);
            else if (cur.row() + 1 < FModel->rowCount())
                next = FModel->index(cur.row() + 1, vis.first());
            if (next.isValid())
                setCurrentIndex(next);
        }
        Event->accept();
        return;
    }
    if (plain && key == Qt::Key_Escape && state() != QAbstractItemView::EditingState) {
        TDataSet *ds = DataSet();
        if (ds && ds->IsEditing()) {
            try {
                ds->Cancel();
            } catch (...) {
                ShowError(std::current_exception());
            }
            Event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(Event);
}

void TDataGrid::mouseDoubleClickEvent(QMouseEvent *Event)
{
    const QModelIndex idx = indexAt(Event->pos());
    if (idx.isValid() && (!(FModel->flags(idx) & Qt::ItemIsEditable) ||
                          !(editTriggers() & QAbstractItemView::DoubleClicked))) {
        emit rowDoubleClicked();
        Event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(Event);
}

QByteArray TDataGrid::SaveLayout() const
{
    QJsonArray cols;
    for (int i = 0; i < FModel->ColumnCount(); ++i) {
        const TGridColumn &c = FModel->Column(i);
        QJsonObject o;
        o[QStringLiteral("field")] = c.FieldName;
        o[QStringLiteral("title")] = FModel->ColumnTitle(i);
        o[QStringLiteral("width")] = i < FBaseWidths.size() ? FBaseWidths[i] : columnWidth(i);
        o[QStringLiteral("visible")] = c.Visible;
        o[QStringLiteral("index")] = FHeader->visualIndex(i);
        o[QStringLiteral("sort")] = c.SortMarker;
        o[QStringLiteral("sortIndex")] = c.SortIndex;
        cols.append(o);
    }
    QJsonObject root;
    root[QStringLiteral("columns")] = cols;
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

bool TDataGrid::LoadLayout(const QByteArray &Layout)
{
    if (Layout.isEmpty())
        return false;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(Layout, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonArray cols = doc.object().value(QStringLiteral("columns")).toArray();
    if (FModel->ColumnCount() == 0) {
        // the columns come when the dataset opens
        FPendingLayout = Layout;
        return true;
    }
    struct Stored
    {
        int Column;
        int Index;
    };
    QList<Stored> order;
    QList<bool> used(FModel->ColumnCount(), false);
    while (FBaseWidths.size() < FModel->ColumnCount())
        FBaseWidths.append(64);
    FFitting = true;
    for (const QJsonValue &v : cols) {
        const QJsonObject o = v.toObject();
        const QString field = o.value(QStringLiteral("field")).toString();
        int col = -1;
        for (int i = 0; i < FModel->ColumnCount(); ++i)
            if (!used[i] && FModel->Column(i).FieldName.compare(field, Qt::CaseInsensitive) == 0) {
                col = i;
                break;
            }
        if (col < 0)
            continue;
        used[col] = true;
        TGridColumn &c = FModel->Column(col);
        const int w = o.value(QStringLiteral("width")).toInt(0);
        if (w > 0) {
            FBaseWidths[col] = w;
            c.Width = w;
            setColumnWidth(col, w);
        }
        c.Visible = o.value(QStringLiteral("visible")).toBool(true);
        setColumnHidden(col, !c.Visible);
        c.SortMarker = std::clamp(o.value(QStringLiteral("sort")).toInt(0), 0, 2);
        c.SortIndex = c.SortMarker ? o.value(QStringLiteral("sortIndex")).toInt(0) : 0;
        order.append({col, o.value(QStringLiteral("index")).toInt(col)});
    }
    FFitting = false;
    std::stable_sort(order.begin(), order.end(),
                     [](const Stored &a, const Stored &b) { return a.Index < b.Index; });
    // Put the stored columns in their stored order, at the places they held.
    QList<int> places;
    for (const Stored &s : order)
        places.append(FHeader->visualIndex(s.Column));
    std::sort(places.begin(), places.end());
    for (int i = 0; i < order.size(); ++i) {
        const int from = FHeader->visualIndex(order[i].Column);
        if (from != places[i])
            FHeader->moveSection(from, places[i]);
    }
    FModel->ColumnsChanged();
    if (SortLocal && !FModel->SortedColumns().isEmpty()) {
        FModel->SortRows();
        SyncToDataSet();
    }
    if (FAutoFit)
        FitColumns();
    updateGeometries();
    return true;
}

TGridPrintData TDataGrid::PrintData(const QString &Title) const
{
    TGridPrintData d;
    d.Title = Title;
    const QList<int> cols = VisibleColumns();
    for (int c : cols) {
        d.Captions << FModel->ColumnTitle(c);
        d.Widths << columnWidth(c);
        const QVariant a = FModel->rowCount() > 0
                               ? FModel->data(FModel->index(0, c), Qt::TextAlignmentRole)
                               : QVariant();
        d.Alignments << (a.isValid() ? Qt::Alignment(a.toInt()) : Qt::Alignment(Qt::AlignLeft));
    }
    d.RowCount = FModel->rowCount();
    TDataSetModel *m = FModel;
    d.Text = [m, cols](int r, int c) {
        const int col = cols[c];
        if (m->Column(col).CheckBox)
            return m->data(m->index(r, col), Qt::CheckStateRole).toInt() == Qt::Checked
                       ? QStringLiteral("✓")
                       : QString();
        return m->CellText(r, col);
    };
    d.Background = [m, cols](int r, int c) { return m->CellParams(r, cols[c]).Background; };
    d.Foreground = [m, cols](int r, int c) { return m->CellParams(r, cols[c]).Foreground; };
    if (m->HasFooters())
        for (int c : cols)
            d.Footers << m->FooterText(c);
    return d;
}

// --- TGridDelegate ---

TGridDelegate::TGridDelegate(TDataGrid *AGrid) : QStyledItemDelegate(AGrid), Grid(AGrid) {}

void TGridDelegate::paint(QPainter *Painter, const QStyleOptionViewItem &Option,
                          const QModelIndex &Index) const
{
    const TDataSetModel *m = Grid->Model();
    if (Index.column() < m->ColumnCount() && m->Column(Index.column()).CheckBox) {
        QStyleOptionViewItem opt = Option;
        initStyleOption(&opt, Index);
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        opt.text.clear();
        QStyle *style = Grid->style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, Painter, Grid);
        QStyleOptionButton box;
        box.state = QStyle::State_Enabled;
        box.state |= Index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                            : QStyle::State_Off;
        const QRect ind = style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, Grid);
        box.rect = QRect(Option.rect.center().x() - ind.width() / 2,
                         Option.rect.center().y() - ind.height() / 2, ind.width(), ind.height());
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, Painter, Grid);
        return;
    }
    // The row under the cursor is highlighted even when it is not selected.
    if (Index.row() == Grid->currentIndex().row() && !(Option.state & QStyle::State_Selected) &&
        !Index.data(Qt::BackgroundRole).isValid()) {
        QStyleOptionViewItem opt = Option;
        initStyleOption(&opt, Index);
        opt.backgroundBrush = QColor(214, 230, 250);
        Grid->style()->drawControl(QStyle::CE_ItemViewItem, &opt, Painter, Grid);
        return;
    }
    QStyledItemDelegate::paint(Painter, Option, Index);
}

QWidget *TGridDelegate::createEditor(QWidget *Parent, const QStyleOptionViewItem &Option,
                                     const QModelIndex &Index) const
{
    const TDataSetModel *m = Grid->Model();
    const TGridColumn &c = m->Column(Index.column());
    if (!c.PickList.isEmpty()) {
        auto *cb = new QComboBox(Parent);
        cb->addItems(c.PickList);
        cb->setEditable(c.KeyList.isEmpty());
        cb->setFrame(false);
        return cb;
    }
    return QStyledItemDelegate::createEditor(Parent, Option, Index);
}

void TGridDelegate::setEditorData(QWidget *Editor, const QModelIndex &Index) const
{
    if (auto *cb = qobject_cast<QComboBox *>(Editor)) {
        const QString text = Index.data(Qt::EditRole).toString();
        const int i = cb->findText(text);
        if (i >= 0)
            cb->setCurrentIndex(i);
        else if (cb->isEditable())
            cb->setEditText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(Editor, Index);
}

void TGridDelegate::setModelData(QWidget *Editor, QAbstractItemModel *Model, const QModelIndex &Index) const
{
    if (auto *cb = qobject_cast<QComboBox *>(Editor)) {
        Model->setData(Index, cb->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(Editor, Model, Index);
}

bool TGridDelegate::editorEvent(QEvent *Event, QAbstractItemModel *Model,
                                const QStyleOptionViewItem &Option, const QModelIndex &Index)
{
    const TDataSetModel *m = Grid->Model();
    if (Index.column() < m->ColumnCount() && m->Column(Index.column()).CheckBox) {
        if (!(Model->flags(Index) & Qt::ItemIsUserCheckable))
            return false;
        bool toggle = false;
        if (Event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(Event);
            toggle = me->button() == Qt::LeftButton && Option.rect.contains(me->position().toPoint());
        } else if (Event->type() == QEvent::MouseButtonDblClick) {
            return true; // no second toggle
        } else if (Event->type() == QEvent::KeyPress) {
            toggle = static_cast<QKeyEvent *>(Event)->key() == Qt::Key_Space;
        }
        if (!toggle)
            return false;
        const bool checked = Index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return Model->setData(Index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return QStyledItemDelegate::editorEvent(Event, Model, Option, Index);
}
