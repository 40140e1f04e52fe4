#include "framework/lists/dataset_model.h"

#include "framework/data/dataset.h"
#include "framework/lists/grid_header.h"
#include "framework/text/formats.h"

#include <QCollator>
#include <QLocale>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

bool IsNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

bool IsIntegerField(const TField *f)
{
    return f && (f->DataType() == TFieldType::Integer || f->DataType() == TFieldType::LargeInt);
}

QString FormatByPattern(const QString &Pattern, const QVariant &Value)
{
    if (IsNullValue(Value))
        return QString();
    switch (Value.typeId()) {
    case QMetaType::QDate:
        return FormatDateAs(Pattern, Value.toDate());
    case QMetaType::QDateTime:
        return FormatDateTimeAs(Pattern, Value.toDateTime());
    case QMetaType::QTime:
        return FormatDateTimeAs(Pattern, QDateTime(QDate(1899, 12, 30), Value.toTime()));
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return FormatFloatAs(Pattern, Value.toDouble());
    default:
        return Value.toString();
    }
}

int CompareValues(const QVariant &A, const QVariant &B, const QCollator &Collator)
{
    const bool an = IsNullValue(A);
    const bool bn = IsNullValue(B);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (A.typeId()) {
    case QMetaType::QString:
        return Collator.compare(A.toString(), B.toString());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qlonglong a = A.toLongLong(), b = B.toLongLong();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double a = A.toDouble(), b = B.toDouble();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case QMetaType::QDate: {
        const QDate a = A.toDate(), b = B.toDate();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case QMetaType::QDateTime: {
        const QDateTime a = A.toDateTime(), b = B.toDateTime();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case QMetaType::QTime: {
        const QTime a = A.toTime(), b = B.toTime();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case QMetaType::Bool:
        return int(A.toBool()) - int(B.toBool());
    default: {
        const QPartialOrdering o = QVariant::compare(A, B);
        if (o == QPartialOrdering::Less)
            return -1;
        if (o == QPartialOrdering::Greater)
            return 1;
        return 0;
    }
    }
}

} // namespace

TDataSetModel::TDataSetModel(QObject *Parent) : QAbstractTableModel(Parent) {}

TDataSetModel::~TDataSetModel()
{
    for (const auto &c : FConnections)
        disconnect(c);
}

void TDataSetModel::SetDataSet(TDataSet *DataSet)
{
    if (FDataSet == DataSet)
        return;
    for (const auto &c : FConnections)
        disconnect(c);
    FConnections.clear();
    FDataSet = DataSet;
    if (DataSet) {
        FConnections << connect(DataSet, &TDataSet::opened, this, &TDataSetModel::Reset)
                     << connect(DataSet, &TDataSet::closed, this, &TDataSetModel::Reset)
                     << connect(DataSet, &TDataSet::refreshed, this, &TDataSetModel::Reset)
                     << connect(DataSet, &TDataSet::rowInserted, this, &TDataSetModel::RowInserted)
                     << connect(DataSet, &TDataSet::rowRemoved, this, &TDataSetModel::RowRemoved)
                     << connect(DataSet, &TDataSet::rowUpdated, this, &TDataSetModel::RowUpdated)
                     << connect(DataSet, &TDataSet::fieldChanged, this,
                                [this](TField *) { CurrentRowChanged(); })
                     << connect(DataSet, &TDataSet::stateChanged, this,
                                &TDataSetModel::CurrentRowChanged)
                     << connect(DataSet, &QObject::destroyed, this, [this] {
                            FConnections.clear();
                            Reset();
                        });
    }
    Reset();
}

void TDataSetModel::Reset()
{
    beginResetModel();
    InvalidateFields();
    InvalidateFooters();
    bool columnsMade = false;
    if (FAuto && FDataSet && FDataSet->Active()) {
        QStringList want;
        for (int i = 0; i < FDataSet->FieldCount(); ++i)
            if (FDataSet->Fields(i).Visible)
                want << FDataSet->Fields(i).FieldName();
        QStringList have;
        for (const TGridColumn &c : FColumns)
            have << c.FieldName;
        if (want != have) {
            MakeAutoColumns();
            columnsMade = true;
        }
    }
    FRows = FDataSet && FDataSet->Active() ? FDataSet->RecordCount() : 0;
    FOrder.clear();
    FInverse.clear();
    if (FRows > 0 && !SortedColumns().isEmpty()) {
        // keep the local sort over the new rows
        endResetModel();
        SortRows();
    } else {
        endResetModel();
    }
    FLastCurrent = FDataSet && FDataSet->Active() ? FDataSet->CurrentRow() : -1;
    if (columnsMade)
        emit columnsReset();
    emit footersChanged();
}

void TDataSetModel::MakeAutoColumns()
{
    FColumns.clear();
    for (int i = 0; i < FDataSet->FieldCount(); ++i) {
        const TField &f = FDataSet->Fields(i);
        if (!f.Visible)
            continue;
        TGridColumn c;
        c.FieldName = f.FieldName();
        FColumns.append(c);
    }
}

void TDataSetModel::SetColumns(const QList<TGridColumn> &Columns)
{
    beginResetModel();
    FColumns = Columns;
    FAuto = false;
    InvalidateFields();
    InvalidateFooters();
    endResetModel();
    emit columnsReset();
    emit footersChanged();
}

int TDataSetModel::AddColumn(const TGridColumn &Column)
{
    if (FAuto) {
        FAuto = false;
        beginResetModel();
        FColumns.clear();
        endResetModel();
    }
    const int at = int(FColumns.size());
    beginInsertColumns(QModelIndex(), at, at);
    FColumns.append(Column);
    InvalidateFields();
    InvalidateFooters();
    endInsertColumns();
    emit columnsReset();
    return at;
}

int TDataSetModel::AddColumn(const QString &FieldName, const QString &Title, int Width)
{
    TGridColumn c;
    c.FieldName = FieldName;
    c.Title = Title;
    c.Width = Width;
    return AddColumn(c);
}

void TDataSetModel::ClearColumns()
{
    beginResetModel();
    FColumns.clear();
    FAuto = true;
    InvalidateFields();
    InvalidateFooters();
    endResetModel();
    Reset();
}

int TDataSetModel::FindColumn(const QString &FieldName) const
{
    for (int i = 0; i < FColumns.size(); ++i)
        if (FColumns[i].FieldName.compare(FieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TDataSetModel::ColumnsChanged()
{
    InvalidateFields();
    InvalidateFooters();
    if (!FColumns.isEmpty()) {
        emit headerDataChanged(Qt::Horizontal, 0, int(FColumns.size()) - 1);
        if (FRows > 0)
            emit dataChanged(index(0, 0), index(FRows - 1, int(FColumns.size()) - 1));
    }
    emit footersChanged();
}

void TDataSetModel::InvalidateFields()
{
    FFieldsValid = false;
}

void TDataSetModel::InvalidateFooters()
{
    FFootersValid = false;
}

TField *TDataSetModel::ColumnField(int Column) const
{
    if (Column < 0 || Column >= FColumns.size() || !FDataSet)
        return nullptr;
    if (!FFieldsValid) {
        FFields.assign(FColumns.size(), nullptr);
        for (int i = 0; i < FColumns.size(); ++i)
            FFields[i] = FDataSet->FindField(FColumns[i].FieldName);
        FFieldsValid = true;
    }
    return FFields[Column];
}

QString TDataSetModel::ColumnTitle(int Column) const
{
    const TGridColumn &c = FColumns[Column];
    if (!c.Title.isEmpty())
        return c.Title;
    if (TField *f = ColumnField(Column))
        return f->DisplayName();
    return c.FieldName;
}

int TDataSetModel::DefaultWidth(int Column, const QFontMetrics &Metrics) const
{
    const TGridColumn &c = FColumns[Column];
    if (c.Width > 0)
        return c.Width;
    int chars = 10;
    if (TField *f = ColumnField(Column))
        chars = f->EffectiveDisplayWidth();
    chars = std::clamp(chars, 3, 40);
    int w = chars * Metrics.averageCharWidth() + 8;
    const QStringList parts = ColumnTitle(Column).split(QLatin1Char('|'));
    w = std::max(w, Metrics.horizontalAdvance(parts.last()) + 12);
    if (c.CheckBox)
        w = std::max(Metrics.horizontalAdvance(parts.last()) + 12, 24);
    return w;
}

int TDataSetModel::RowCount() const
{
    return FRows;
}

int TDataSetModel::DataSetRow(int ViewRow) const
{
    if (ViewRow < 0 || ViewRow >= FRows || !FDataSet || !FDataSet->Active())
        return -1;
    const int r = FOrder.empty() ? ViewRow : FOrder[size_t(ViewRow)];
    return r < FDataSet->RecordCount() ? r : -1;
}

int TDataSetModel::ViewRow(int DataSetRow) const
{
    if (DataSetRow < 0 || DataSetRow >= FRows)
        return -1;
    return FInverse.empty() ? DataSetRow : FInverse[size_t(DataSetRow)];
}

QList<int> TDataSetModel::SortedColumns() const
{
    QList<int> cols;
    for (int i = 0; i < FColumns.size(); ++i)
        if (FColumns[i].SortMarker != 0)
            cols.append(i);
    std::stable_sort(cols.begin(), cols.end(),
                     [this](int a, int b) { return FColumns[a].SortIndex < FColumns[b].SortIndex; });
    return cols;
}

void TDataSetModel::ClearSortMarkers()
{
    for (TGridColumn &c : FColumns) {
        c.SortMarker = 0;
        c.SortIndex = 0;
    }
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, int(FColumns.size()) - 1));
}

void TDataSetModel::SortRows()
{
    beginResetModel();
    FOrder.clear();
    FInverse.clear();
    const QList<int> cols = SortedColumns();
    if (!cols.isEmpty() && FRows > 1 && FDataSet && FDataSet->Active()) {
        struct Key
        {
            std::vector<QVariant> Values;
            bool Descending;
        };
        std::vector<Key> keys;
        for (int c : cols) {
            TField *f = ColumnField(c);
            if (!f)
                continue;
            Key k;
            k.Descending = FColumns[c].SortMarker == 2;
            k.Values.resize(size_t(FRows));
            for (int r = 0; r < FRows; ++r)
                k.Values[size_t(r)] = f->ValueAt(r);
            keys.push_back(std::move(k));
        }
        if (!keys.empty()) {
            QCollator collator{QLocale(QLocale::Bulgarian, QLocale::Bulgaria)};
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            collator.setNumericMode(false);
            std::vector<int> order(static_cast<size_t>(FRows));
            for (int r = 0; r < FRows; ++r)
                order[size_t(r)] = r;
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                for (const Key &k : keys) {
                    int c = CompareValues(k.Values[size_t(a)], k.Values[size_t(b)], collator);
                    if (c != 0)
                        return k.Descending ? c > 0 : c < 0;
                }
                return false;
            });
            FOrder = std::move(order);
            FInverse.assign(FOrder.size(), 0);
            for (size_t v = 0; v < FOrder.size(); ++v)
                FInverse[size_t(FOrder[v])] = int(v);
        }
    }
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, int(FColumns.size()) - 1));
}

void TDataSetModel::RowInserted(int Row)
{
    if (!FDataSet)
        return;
    int viewPos = Row;
    if (!FOrder.empty()) {
        // The new row goes before the row that now follows it in the dataset,
        // or at the end.
        const int next = Row; // the old row at this position moved to Row + 1
        viewPos = next < FRows ? FInverse[size_t(next)] : FRows;
    }
    viewPos = std::clamp(viewPos, 0, FRows);
    beginInsertRows(QModelIndex(), viewPos, viewPos);
    if (!FOrder.empty()) {
        for (int &r : FOrder)
            if (r >= Row)
                ++r;
        FOrder.insert(FOrder.begin() + viewPos, Row);
        FInverse.assign(FOrder.size(), 0);
        for (size_t v = 0; v < FOrder.size(); ++v)
            FInverse[size_t(FOrder[v])] = int(v);
    }
    ++FRows;
    InvalidateFooters();
    endInsertRows();
    emit footersChanged();
}

void TDataSetModel::RowRemoved(int Row)
{
    if (Row < 0 || Row >= FRows)
        return;
    const int viewPos = ViewRow(Row);
    beginRemoveRows(QModelIndex(), viewPos, viewPos);
    if (!FOrder.empty()) {
        FOrder.erase(FOrder.begin() + viewPos);
        for (int &r : FOrder)
            if (r > Row)
                --r;
        FInverse.assign(FOrder.size(), 0);
        for (size_t v = 0; v < FOrder.size(); ++v)
            FInverse[size_t(FOrder[v])] = int(v);
    }
    --FRows;
    InvalidateFooters();
    endRemoveRows();
    emit footersChanged();
}

void TDataSetModel::RowUpdated(int Row)
{
    const int v = ViewRow(Row);
    InvalidateFooters();
    if (v >= 0 && !FColumns.isEmpty())
        emit dataChanged(index(v, 0), index(v, int(FColumns.size()) - 1));
    emit footersChanged();
}

void TDataSetModel::CurrentRowChanged()
{
    if (!FDataSet)
        return;
    InvalidateFooters();
    if (!FColumns.isEmpty()) {
        for (int r : {FLastCurrent, FDataSet->Active() ? FDataSet->CurrentRow() : -1}) {
            const int v = ViewRow(r);
            if (v >= 0)
                emit dataChanged(index(v, 0), index(v, int(FColumns.size()) - 1));
        }
    }
    FLastCurrent = FDataSet->Active() ? FDataSet->CurrentRow() : -1;
    emit footersChanged();
}

bool TDataSetModel::HasFooters() const
{
    for (const TGridColumn &c : FColumns)
        if (c.Footer != TFooterKind::None)
            return true;
    return false;
}

QString TDataSetModel::FooterText(int Column) const
{
    if (Column < 0 || Column >= FColumns.size())
        return QString();
    if (!FFootersValid) {
        FFooterCache.clear();
        const bool active = FDataSet && FDataSet->Active();
        const int rows = active ? FDataSet->RecordCount() : 0;
        for (int i = 0; i < FColumns.size(); ++i) {
            const TGridColumn &c = FColumns[i];
            QString text;
            switch (c.Footer) {
            case TFooterKind::None:
                break;
            case TFooterKind::Text:
                text = c.FooterText;
                break;
            case TFooterKind::Count:
                text = QString::number(rows);
                break;
            case TFooterKind::Sum: {
                TField *f = ColumnField(i);
                double sum = 0;
                if (f)
                    for (int r = 0; r < rows; ++r) {
                        const QVariant v = f->ValueAt(r);
                        if (!IsNullValue(v))
                            sum += v.toDouble();
                    }
                QString pattern = c.FooterFormat;
                if (pattern.isEmpty() && f)
                    pattern = f->DisplayFormat;
                if (!pattern.isEmpty())
                    text = FormatFloatAs(pattern, sum);
                else if (IsIntegerField(f))
                    text = QString::number(qlonglong(std::llround(sum)));
                else
                    text = FormatNumber(sum, 2);
                break;
            }
            }
            FFooterCache << text;
        }
        FFootersValid = true;
    }
    return FFooterCache.value(Column);
}

QString TDataSetModel::CellText(int ViewRow, int Column) const
{
    TField *f = ColumnField(Column);
    const int r = DataSetRow(ViewRow);
    if (!f || r < 0)
        return QString();
    const TGridColumn &c = FColumns[Column];
    if (!c.KeyList.isEmpty()) {
        const QVariant v = f->ValueAt(r);
        if (IsNullValue(v))
            return QString();
        const int k = c.KeyList.indexOf(v.toString());
        return k >= 0 ? c.PickList.value(k) : v.toString();
    }
    if (!c.DisplayFormat.isEmpty())
        return FormatByPattern(c.DisplayFormat, f->ValueAt(r));
    return f->DisplayTextAt(r);
}

TCellParams TDataSetModel::CellParams(int ViewRow, int Column) const
{
    TCellParams p;
    p.Row = DataSetRow(ViewRow);
    p.Column = Column;
    p.Field = ColumnField(Column);
    if (OnGetCellParams && p.Row >= 0)
        OnGetCellParams(p);
    return p;
}

int TDataSetModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : FRows;
}

int TDataSetModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : int(FColumns.size());
}

QVariant TDataSetModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid() || Index.column() >= FColumns.size())
        return QVariant();
    const TGridColumn &c = FColumns[Index.column()];
    switch (Role) {
    case Qt::DisplayRole:
        if (c.CheckBox)
            return QVariant();
        return CellText(Index.row(), Index.column());
    case Qt::EditRole: {
        TField *f = ColumnField(Index.column());
        const int r = DataSetRow(Index.row());
        if (!f || r < 0)
            return QVariant();
        if (!c.KeyList.isEmpty() || !c.PickList.isEmpty())
            return CellText(Index.row(), Index.column());
        if (r == FDataSet->CurrentRow())
            return f->Text();
        return f->FormatText(f->ValueAt(r), false);
    }
    case Qt::CheckStateRole: {
        if (!c.CheckBox)
            return QVariant();
        TField *f = ColumnField(Index.column());
        const int r = DataSetRow(Index.row());
        if (!f || r < 0)
            return QVariant();
        const QVariant v = f->ValueAt(r);
        return !IsNullValue(v) && v.toString() == c.CheckedValue.toString() ? Qt::Checked
                                                                            : Qt::Unchecked;
    }
    case Qt::TextAlignmentRole: {
        if (c.Alignment)
            return QVariant::fromValue(c.Alignment | Qt::AlignVCenter);
        TField *f = ColumnField(Index.column());
        const bool right = f && f->IsNumeric() && c.KeyList.isEmpty();
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    case Qt::BackgroundRole: {
        if (!OnGetCellParams)
            return QVariant();
        const TCellParams p = CellParams(Index.row(), Index.column());
        return p.Background.isValid() ? QVariant(p.Background) : QVariant();
    }
    case Qt::ForegroundRole: {
        if (!OnGetCellParams)
            return QVariant();
        const TCellParams p = CellParams(Index.row(), Index.column());
        return p.Foreground.isValid() ? QVariant(p.Foreground) : QVariant();
    }
    case Qt::FontRole: {
        if (!OnGetCellParams)
            return QVariant();
        const TCellParams p = CellParams(Index.row(), Index.column());
        return p.FontChanged ? QVariant(p.Font) : QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant TDataSetModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= FColumns.size())
        return QVariant();
    switch (Role) {
    case Qt::DisplayRole:
        return ColumnTitle(Section);
    case GridRoles::SortMarker:
        return FColumns[Section].SortMarker;
    case GridRoles::SortIndex:
        return FColumns[Section].SortIndex;
    case GridRoles::Footer:
        return FooterText(Section);
    default:
        return QVariant();
    }
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &Index) const
{
    if (!Index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const TGridColumn &c = FColumns[Index.column()];
    TField *field = ColumnField(Index.column());
    const bool editable = !ReadOnly && !c.ReadOnly && field && !field->ReadOnly &&
                          field->FieldKind() == TFieldKind::Data;
    if (editable)
        f |= c.CheckBox ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

bool TDataSetModel::setData(const QModelIndex &Index, const QVariant &Value, int Role)
{
    if (!Index.isValid() || !(flags(Index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    return StoreValue(Index.row(), Index.column(), Value, Role);
}

bool TDataSetModel::StoreValue(int ViewRow, int Column, const QVariant &Value, int Role)
{
    TField *f = ColumnField(Column);
    const int r = DataSetRow(ViewRow);
    if (!f || r < 0)
        return false;
    const TGridColumn &c = FColumns[Column];
    try {
        if (FDataSet->CurrentRow() != r)
            FDataSet->SetRecNo(r + 1);
        if (FDataSet->CurrentRow() != r)
            return false;
        if (c.CheckBox) {
            if (Role != Qt::CheckStateRole)
                return false;
            const bool checked = Value.toInt() == Qt::Checked;
            if (!FDataSet->IsEditing())
                FDataSet->Edit();
            f->SetValue(checked ? c.CheckedValue : c.UncheckedValue);
            return true;
        }
        if (Role != Qt::EditRole)
            return false;
        QString text = Value.toString();
        if (!c.KeyList.isEmpty()) {
            const int k = c.PickList.indexOf(text);
            if (k >= 0)
                text = c.KeyList.value(k);
        }
        // Nothing changed: stay in browse.
        if (!FDataSet->IsEditing() && text == data(index(ViewRow, Column), Qt::EditRole).toString() &&
            c.KeyList.isEmpty())
            return true;
        if (!FDataSet->IsEditing())
            FDataSet->Edit();
        f->SetText(text);
        return true;
    } catch (...) {
        ReportError(std::current_exception());
        return false;
    }
}

void TDataSetModel::ReportError(std::exception_ptr Error) const
{
    if (OnError)
        OnError(Error);
}
