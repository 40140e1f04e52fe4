#include "framework/lists/lookup_combo.h"

#include "framework/data/dataset.h"
#include "framework/lists/dataset_model.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

bool SameKey(const QVariant &A, const QVariant &B)
{
    const bool an = !A.isValid() || A.isNull();
    const bool bn = !B.isValid() || B.isNull();
    if (an || bn)
        return an == bn;
    return A.toString() == B.toString();
}

} // namespace

TLookupComboBox::TLookupComboBox(QWidget *Parent) : QWidget(Parent)
{
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("edit"));
    FButton = new QToolButton(this);
    FButton->setObjectName(QStringLiteral("dropButton"));
    FButton->setArrowType(Qt::DownArrow);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setCursor(Qt::ArrowCursor);
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(FEdit, 1);
    lay->addWidget(FButton);
    setFocusProxy(FEdit);
    setFocusPolicy(Qt::StrongFocus);

    FPopup = new QFrame(this, Qt::Popup);
    FPopup->setFrameShape(QFrame::Box);
    FView = new QTableView(FPopup);
    FView->setObjectName(QStringLiteral("list"));
    FModel = new TDataSetModel(this);
    FModel->ReadOnly = true;
    FView->setModel(FModel);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setSelectionMode(QAbstractItemView::SingleSelection);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->verticalHeader()->hide();
    FView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FView->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    FView->setShowGrid(false);
    FView->setWordWrap(false);
    FView->horizontalHeader()->setStretchLastSection(true);
    FView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *pl = new QVBoxLayout(FPopup);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(FView);
    FView->installEventFilter(this);
    FView->viewport()->installEventFilter(this);
    FEdit->installEventFilter(this);

    connect(FButton, &QToolButton::clicked, this, [this] {
        if (IsDroppedDown())
            CloseUp(false);
        else
            DropDown();
    });
    connect(FEdit, &QLineEdit::textEdited, this, &TLookupComboBox::TextTyped);
    connect(FEdit, &QLineEdit::editingFinished, this, [this] {
        if (!IsDroppedDown())
            Settle();
    });
    connect(FView, &QTableView::clicked, this, [this](const QModelIndex &i) { Choose(i.row()); });
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        // the list was read again: the key's text may have changed
        if (FKey.isValid() && !FKey.isNull() && !FEdit->hasFocus())
            FEdit->setText(DisplayTextOf(FKey));
    });
}

TLookupComboBox::~TLookupComboBox() = default;

void TLookupComboBox::SetListSource(TDataSet *DataSet)
{
    FList = DataSet;
    FModel->SetDataSet(DataSet);
    RebuildColumns();
    if (FKey.isValid() && !FKey.isNull())
        FEdit->setText(DisplayTextOf(FKey));
}

void TLookupComboBox::SetListFields(const QString &Fields)
{
    FListFields = Fields;
    RebuildColumns();
}

void TLookupComboBox::RebuildColumns()
{
    QList<TGridColumn> cols;
    for (const QString &f : FListFields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        TGridColumn c;
        c.FieldName = f.trimmed();
        cols.append(c);
    }
    if (cols.isEmpty())
        FModel->ClearColumns();
    else
        FModel->SetColumns(cols);
    FView->horizontalHeader()->setVisible(ShowTitles);
}

QString TLookupComboBox::DisplayField() const
{
    const QStringList f = FListFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (f.isEmpty())
        return QString();
    return f.value(std::clamp(ListFieldIndex, 0, int(f.size()) - 1)).trimmed();
}

QString TLookupComboBox::RowText(int Row) const
{
    if (!FList || !FList->Active())
        return QString();
    TField *f = FList->FindField(DisplayField());
    return f ? f->DisplayTextAt(Row) : QString();
}

QVariant TLookupComboBox::RowKey(int Row) const
{
    if (!FList || !FList->Active())
        return QVariant();
    TField *f = FList->FindField(KeyField);
    return f ? f->ValueAt(Row) : QVariant();
}

QString TLookupComboBox::DisplayTextOf(const QVariant &Key) const
{
    if (!FList || !FList->Active() || !Key.isValid() || Key.isNull())
        return QString();
    const int row = FList->FindRow(KeyField, {Key});
    return row >= 0 ? RowText(row) : QString();
}

int TLookupComboBox::FindPrefix(const QString &Text) const
{
    if (!FList || !FList->Active() || Text.isEmpty())
        return -1;
    for (int r = 0; r < FList->RecordCount(); ++r)
        if (RowText(r).startsWith(Text, Qt::CaseInsensitive))
            return r;
    return -1;
}

int TLookupComboBox::FindExact(const QString &Text) const
{
    if (!FList || !FList->Active() || Text.isEmpty())
        return -1;
    for (int r = 0; r < FList->RecordCount(); ++r)
        if (RowText(r).compare(Text, Qt::CaseInsensitive) == 0)
            return r;
    return -1;
}

void TLookupComboBox::SetKeyValue(const QVariant &Key)
{
    FKey = Key;
    FEdit->setText(DisplayTextOf(Key));
}

QString TLookupComboBox::Text() const
{
    return FEdit->text();
}

void TLookupComboBox::SetText(const QString &Text)
{
    FKey = QVariant();
    FEdit->setText(Text);
}

void TLookupComboBox::SetReadOnly(bool On)
{
    FReadOnly = On;
    FEdit->setReadOnly(On);
    FButton->setEnabled(!On);
    if (On)
        CloseUp(false);
}

bool TLookupComboBox::IsDroppedDown() const
{
    return FPopup->isVisible();
}

void TLookupComboBox::DropDown()
{
    if (FReadOnly || IsDroppedDown() || !FList)
        return;
    // Row to show: the typed text's first match, else the chosen key.
    int row = FindPrefix(FEdit->text());
    if (row < 0 && FKey.isValid() && !FKey.isNull() && FList->Active())
        row = FList->FindRow(KeyField, {FKey});
    FView->horizontalHeader()->setVisible(ShowTitles);
    const int width = std::max(ListWidth > 0 ? ListWidth : this->width(), 60);
    const int rows = std::clamp(FModel->rowCount(), 1, std::max(1, DropDownRows));
    const int rowH = FView->verticalHeader()->defaultSectionSize();
    const int headH = ShowTitles ? FView->horizontalHeader()->sizeHint().height() : 0;
    FPopup->resize(width, rows * rowH + headH + 4);
    // Columns share the width by their fields' display widths.
    const int cols = FModel->columnCount();
    if (cols > 0) {
        int total = 0;
        QList<int> w;
        for (int c = 0; c < cols; ++c) {
            w << FModel->DefaultWidth(c, fontMetrics());
            total += w.last();
        }
        const int avail = width - 4 - (FModel->rowCount() > rows ? 16 : 0);
        for (int c = 0; c < cols; ++c)
            FView->setColumnWidth(c, std::max(20, w[c] * avail / std::max(1, total)));
    }
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (QScreen *s = screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + FPopup->height() > avail.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - FPopup->height());
        if (at.x() + FPopup->width() > avail.right())
            at.setX(std::max(avail.left(), avail.right() - FPopup->width()));
    }
    FPopup->move(at);
    FPopup->show();
    FView->setFocus();
    if (row >= 0) {
        const QModelIndex i = FModel->index(FModel->ViewRow(row), 0);
        FView->setCurrentIndex(i);
        FView->scrollTo(i, QAbstractItemView::PositionAtCenter);
    } else {
        FView->clearSelection();
        FView->setCurrentIndex(QModelIndex());
    }
}

void TLookupComboBox::HidePopup()
{
    FPopup->hide();
    // The box's window takes the keyboard back from the list.
    // Some platforms leave the hidden pop-up as the active window.
    if (QWidget *w = window(); w && !w->isActiveWindow())
        QApplication::setActiveWindow(w);
}

void TLookupComboBox::CloseUp(bool Accept)
{
    if (!IsDroppedDown())
        return;
    const QModelIndex cur = FView->currentIndex();
    HidePopup();
    if (Accept && cur.isValid())
        Choose(FModel->DataSetRow(cur.row()));
    FEdit->setFocus();
}

void TLookupComboBox::Choose(int Row)
{
    if (IsDroppedDown())
        HidePopup();
    if (Row < 0)
        return;
    const QVariant key = RowKey(Row);
    const bool changed = !SameKey(key, FKey);
    FKey = key;
    FEdit->setText(RowText(Row));
    FEdit->setFocus();
    if (changed)
        emit keyChanged(FKey);
}

void TLookupComboBox::TextTyped(const QString &Text)
{
    emit textEdited(Text);
    if (AutoDropDown && !IsDroppedDown() && !Text.isEmpty()) {
        DropDown();
        return;
    }
    if (IsDroppedDown()) {
        const int row = FindPrefix(Text);
        if (row >= 0) {
            const QModelIndex i = FModel->index(FModel->ViewRow(row), 0);
            FView->setCurrentIndex(i);
            FView->scrollTo(i, QAbstractItemView::PositionAtCenter);
        }
    }
}

void TLookupComboBox::Settle()
{
    if (FSettling || FReadOnly)
        return;
    FSettling = true;
    const QString text = FEdit->text();
    QVariant key = FKey;
    if (text.trimmed().isEmpty()) {
        key = QVariant();
    } else if (DisplayTextOf(FKey).compare(text, Qt::CaseInsensitive) != 0 || !FKey.isValid() ||
               FKey.isNull()) {
        const int row = FindExact(text);
        if (row >= 0) {
            key = RowKey(row);
            FEdit->setText(RowText(row));
        } else if (TextAllowed) {
            key = QVariant();
        } else {
            FEdit->setText(DisplayTextOf(FKey));
        }
    }
    const bool changed = !SameKey(key, FKey);
    FKey = key;
    FSettling = false;
    if (changed)
        emit keyChanged(FKey);
    emit editingFinished();
}

bool TLookupComboBox::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(Watched, Event);
    auto *ke = static_cast<QKeyEvent *>(Event);
    if (Watched == FEdit) {
        const bool alt = ke->modifiers() & Qt::AltModifier;
        if ((ke->key() == Qt::Key_Down && (alt || AutoDropDown)) || ke->key() == Qt::Key_F4) {
            DropDown();
            return true;
        }
        return false;
    }
    if (Watched == FView || Watched == FView->viewport()) {
        switch (ke->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            CloseUp(true);
            return true;
        case Qt::Key_Escape:
            CloseUp(false);
            return true;
        case Qt::Key_F4:
            CloseUp(false);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (ke->modifiers() & Qt::AltModifier) {
                CloseUp(ke->key() == Qt::Key_Up);
                return true;
            }
            return false; // the list moves
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            CloseUp(true);
            return true;
        default:
            // Everything else is typing: it goes to the box, and the list
            // follows the text.
            QCoreApplication::sendEvent(FEdit, Event);
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}
