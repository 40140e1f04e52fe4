#include "framework/lists/list_form.h"

#include "framework/forms/application.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/forms/globalvalues.h"
#include "framework/forms/listchoose.h"
#include "framework/forms/notifypopup.h"
#include "framework/forms/searchact.h"
#include "framework/lists/grid_header.h"
#include "framework/lists/list_error.h"
#include "framework/lists/list_icons.h"
#include "framework/lists/print_preview.h"
#include "framework/settings/settings.h"
#include "framework/text/base64.h"
#include "framework/text/format.h"
#include "framework/text/win1251.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QSaveFile>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

bool IsNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

// Equality of a field's value with a value given by a caller (a key read
// from the named-value store may be text for an integer field).
bool FieldEquals(TField &Field, const QVariant &Stored, const QVariant &Wanted)
{
    if (IsNullValue(Stored) || IsNullValue(Wanted))
        return false;
    QVariant w;
    try {
        w = Field.Convert(Wanted);
    } catch (...) {
        return false;
    }
    if (Stored.typeId() == QMetaType::Double || w.typeId() == QMetaType::Double)
        return Stored.toDouble() == w.toDouble();
    return Stored == w || Stored.toString() == w.toString();
}

QString QuoteCsv(const QString &Value)
{
    QString v = Value;
    v.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

constexpr int kHistoryMax = 10;

} // namespace

// --- helpers -----------------------------------------------------------

QStringList UpdateSearchHistory(const QStringList &History, const QString &Criterion)
{
    QStringList h = History;
    const qsizetype at = h.indexOf(Criterion);
    if (at < 0)
        h.prepend(Criterion);
    else if (at > 0)
        h.swapItemsAt(0, at);
    while (h.size() > kHistoryMax)
        h.removeLast();
    return h;
}

bool ReplaceWhere(QString &Sql, const QString &Old, const QString &New)
{
    const qsizetype at = Sql.indexOf(Old);
    if (at < 0)
        return false;
    Sql.replace(at, Old.size(), New);
    return true;
}

QString WithOrderBy(const QString &Sql, const QString &List)
{
    const qsizetype at = Sql.indexOf(QStringLiteral("order by"), 0, Qt::CaseInsensitive);
    if (at >= 0)
        return Sql.left(at + 8) + QLatin1Char(' ') + List;
    return Sql + QStringLiteral(" Order by ") + List;
}

QString GridToCsv(TDataGrid *Grid)
{
    TDataSetModel *m = Grid->Model();
    TDataSet *ds = Grid->DataSet();
    if (!ds || !ds->Active() || m->RowCount() == 0)
        return QString();
    const QList<int> cols = Grid->VisibleColumns();
    QString out;
    QStringList head;
    for (int c : cols)
        head << QuoteCsv(m->ColumnTitle(c));
    out += head.join(QLatin1Char(';'));
    ds->DisableControls();
    try {
        for (int v = 0; v < m->RowCount(); ++v) {
            const int r = m->DataSetRow(v);
            out += QStringLiteral("\r\n");
            QStringList line;
            for (int c : cols) {
                TField *f = m->ColumnField(c);
                if (!f) {
                    line << QStringLiteral("\"\"");
                    continue;
                }
                const QVariant value = f->ValueAt(r);
                const QString text = IsNullValue(value) ? QString() : f->FormatText(value, false);
                const bool isText =
                    f->DataType() == TFieldType::String || f->DataType() == TFieldType::Memo;
                if (text.isEmpty())
                    line << QStringLiteral("\"\"");
                else if (isText || text.contains(QLatin1Char('"')))
                    line << QuoteCsv(text);
                else
                    line << text;
            }
            out += line.join(QLatin1Char(';'));
        }
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
    return out;
}

QString CsvReportsFolder()
{
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("CSV_REPORTS"));
    return dir.filePath(QStringLiteral("CSV_REPORTS"));
}

QString CsvFileName(const QString &Prefix, const QString &Caption)
{
    QString filter;
    const qsizetype open = Caption.indexOf(QLatin1Char('['));
    const qsizetype close = open >= 0 ? Caption.indexOf(QLatin1Char(']'), open) : -1;
    if (open >= 0 && close > open)
        filter = Caption.mid(open + 1, close - open - 1);
    filter.remove(QLatin1Char('"'));
    QString name = (Prefix + filter).trimmed();
    for (QChar &c : name)
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("export");
    return name + QStringLiteral(".CSV");
}

void WriteCsvFile(const QString &Path, const QString &Text)
{
    const QByteArray bytes = ToWin1251OrThrow(Text);
    QSaveFile f(Path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EListError(QStringLiteral("Файлът не може да се запише! Пробвайте отново с друго име!"));
}

// --- TfrmBaseGridForm ----------------------------------------------------

TfrmBaseGridForm::TfrmBaseGridForm(QWidget *owner) : TfrmBaseForm(owner)
{
    setObjectName(QStringLiteral("frmBaseGridForm"));
    resize(820, 520);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolbarPanel = new QWidget(this);
    ToolbarPanel->setObjectName(QStringLiteral("ToolbarPanel"));
    ToolbarPanel->setFixedHeight(36);
    ToolbarPanel->installEventFilter(this);
    layout->addWidget(ToolbarPanel);

    FiltersPanel = new QWidget(this);
    FiltersPanel->setObjectName(QStringLiteral("FiltersPanel"));
    FiltersPanel->hide();
    layout->addWidget(FiltersPanel);

    CommentSplitter = new QSplitter(Qt::Vertical, this);
    CommentSplitter->setObjectName(QStringLiteral("CommentSplitter"));
    CommentSplitter->setChildrenCollapsible(false);
    Grid = new TDataGrid(CommentSplitter);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetMultiSelect(true);
    Grid->SetAutoFitColWidths(true);
    Grid->SetAlternateRowColor(true);
    Grid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    pnlComments = new QWidget(CommentSplitter);
    pnlComments->setObjectName(QStringLiteral("pnlComments"));
    pnlComments->setMinimumHeight(40);
    new QVBoxLayout(pnlComments);
    pnlComments->layout()->setContentsMargins(2, 2, 2, 2);
    CommentSplitter->addWidget(Grid);
    CommentSplitter->addWidget(pnlComments);
    CommentSplitter->setStretchFactor(0, 1);
    CommentSplitter->setStretchFactor(1, 0);
    pnlComments->hide();
    CommentSplitter->setSizes({400, 90});
    layout->addWidget(CommentSplitter, 1);

    actnInsert = MakeAction("actnInsert", QStringLiteral("Нов"), QStringLiteral("Нов"),
                            QKeySequence(Qt::CTRL | Qt::Key_N));
    actnEdit = MakeAction("actnEdit", QStringLiteral("Редакция"), QStringLiteral("Редакция"),
                          QKeySequence(Qt::CTRL | Qt::Key_Return));
    actnEdit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    actnDelete = MakeAction("actnDelete", QStringLiteral("Изтриване"), QStringLiteral("Изтриване"),
                            QKeySequence(Qt::CTRL | Qt::Key_Delete));
    actnList = MakeAction("actnList", QString(), QString(), QKeySequence());
    actnFilter = MakeAction("actnFilter", QStringLiteral("Филтър"), QStringLiteral("Филтър"), QKeySequence());
    actnRemoveFilter = MakeAction("actnRemoveFilter", QStringLiteral("без Филтър"),
                                  QStringLiteral("без Филтър"), QKeySequence());
    actnFind = MakeAction("actnFind", QStringLiteral("Търсене"), QStringLiteral("Търсене"),
                          QKeySequence(Qt::CTRL | Qt::Key_F));
    actnFindNext = MakeAction("actnFindNext", QStringLiteral("Търси следващ"),
                              QStringLiteral("Търси следващ"), QKeySequence(Qt::Key_F3));
    actnPrint = MakeAction("actnPrint", QStringLiteral("Печат"), QStringLiteral("Печат"),
                           QKeySequence(Qt::CTRL | Qt::Key_P));
    actnExit = MakeAction("actnExit", QStringLiteral("Затвори"), QStringLiteral("Затвори"),
                          QKeySequence(Qt::ALT | Qt::Key_F4));
    actnColumns = MakeAction("actnColumns", QStringLiteral("Избор на колони"), QString(), QKeySequence());
    actnRefresh = MakeAction("actnRefresh", QStringLiteral("Обнови"), QStringLiteral("Обнови списъка"),
                             QKeySequence(Qt::Key_F5));
    actnRestore = MakeAction("actnRestore", QStringLiteral("Възстанови"),
                             QStringLiteral("Възстанови прозорец"), QKeySequence());
    actnSelectionPick = MakeAction("actnSelectionPick", QStringLiteral("Избери"), QString(), QKeySequence());

    connect(actnInsert, &QAction::triggered, this, [this] { Run([this] { actnInsertExecute(); }); });
    connect(actnEdit, &QAction::triggered, this, [this] { Run([this] { actnEditExecute(); }); });
    connect(actnDelete, &QAction::triggered, this, [this] { Run([this] { actnDeleteExecute(); }); });
    connect(actnList, &QAction::triggered, this, [this] { Run([this] { actnListExecute(); }); });
    connect(actnFilter, &QAction::triggered, this, [this] { Run([this] { actnFilterExecute(); }); });
    connect(actnRemoveFilter, &QAction::triggered, this,
            [this] { Run([this] { actnRemoveFilterExecute(); }); });
    connect(actnFind, &QAction::triggered, this, [this] { Run([this] { actnFindExecute(); }); });
    connect(actnFindNext, &QAction::triggered, this, [this] { Run([this] { actnFindNextExecute(); }); });
    connect(actnPrint, &QAction::triggered, this, [this] { Run([this] { actnPrintExecute(); }); });
    connect(actnExit, &QAction::triggered, this, [this] { close(); });
    connect(actnColumns, &QAction::triggered, this, [this] { Run([this] { actnColumnsExecute(); }); });
    connect(actnRefresh, &QAction::triggered, this, [this] { Run([this] { actnRefreshExecute(); }); });
    connect(actnSelectionPick, &QAction::triggered, this,
            [this] { Run([this] { actnSelectionPickExecute(); }); });

    btnAdd = MakeButton("btnAdd", actnInsert, "list-add");
    btnEdit = MakeButton("btnEdit", actnEdit, "document-edit");
    btnDel = MakeButton("btnDel", actnDelete, "edit-delete");
    btnCommentPanel = MakeButton("btnCommentPanel", nullptr, "view-split-top-bottom");
    btnCommentPanel->setCheckable(true);
    btnCommentPanel->setToolTip(QStringLiteral("Коментари (Показване / Скриване)"));
    connect(btnCommentPanel, &QToolButton::toggled, this, &TfrmBaseGridForm::ToggleComments);
    btnLists = MakeButton("btnLists", actnList, "view-list-details");
    btnFind = MakeButton("btnFind", actnFind, "edit-find");
    btnFindNext = MakeButton("btnFindNext", actnFindNext, "go-down-search");
    btnFilter = MakeButton("btnFilter", actnFilter, "view-filter");
    btnFilter_Remove = MakeButton("btnFilter_Remove", actnRemoveFilter, "edit-clear-all");
    btnPrint = MakeButton("btnPrint", actnPrint, "document-print");
    btnPick = MakeButton("btnPick", actnSelectionPick, "dialog-ok-apply");
    btnPick->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnPick->setFixedSize(btnPick->sizeHint().width() + 8, 30);
    btnRestoreWindow = MakeButton("btnRestoreWindow", actnRestore, "window-restore");
    btnRestoreWindow->hide(); // no window of this program is an MDI child
    btnExit = MakeButton("btnExit", actnExit, "window-close");

    GridPopupMenu = new QMenu(this);
    GridPopupMenu->setObjectName(QStringLiteral("GridPopupMenu"));
    GridPopupMenu->addAction(actnInsert);
    GridPopupMenu->addAction(actnEdit);
    GridPopupMenu->addAction(actnDelete);
    GridPopupMenu->addSeparator();
    GridPopupMenu->addAction(actnColumns);
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { GridPopupMenu->popup(Grid->viewport()->mapToGlobal(p)); });
    connect(Grid, &TDataGrid::rowDoubleClicked, this, &TfrmBaseGridForm::GridDoubleClicked);
    Grid->OnSortMarkingChanged = [this] {
        if (!ServerSort)
            return false;
        Run([this] { actnRefreshExecute(); });
        return true;
    };
    UpdateActions();
}

TfrmBaseGridForm::~TfrmBaseGridForm()
{
    FinishPlacement();
    UnhookAfterPost();
    for (const auto &c : FDataSetConnections)
        disconnect(c);
}

QAction *TfrmBaseGridForm::MakeAction(const char *Name, const QString &Caption, const QString &Hint,
                                      const QKeySequence &Shortcut)
{
    auto *a = new QAction(Caption, this);
    a->setObjectName(QLatin1String(Name));
    a->setToolTip(Hint.isEmpty() ? Caption : Hint);
    a->setStatusTip(Hint);
    if (!Shortcut.isEmpty())
        a->setShortcut(Shortcut);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(a);
    return a;
}

QToolButton *TfrmBaseGridForm::MakeButton(const char *Name, QAction *Action, const char *Icon)
{
    auto *b = new QToolButton(ToolbarPanel);
    b->setObjectName(QLatin1String(Name));
    const QIcon icon = ListIcon(QLatin1String(Icon), style()->standardIcon(QStyle::SP_FileIcon));
    if (Action) {
        Action->setIcon(icon);
        b->setDefaultAction(Action);
    } else {
        b->setIcon(icon);
    }
    b->setIconSize(QSize(22, 22));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(30, 30);
    b->move(0, 3);
    return b;
}

void TfrmBaseGridForm::Run(const std::function<void()> &Handler)
{
    try {
        Handler();
    } catch (...) {
        HandleException(std::current_exception());
    }
    UpdateActions();
}

void TfrmBaseGridForm::SetDataSet(TDataSet *DataSet)
{
    for (const auto &c : FDataSetConnections)
        disconnect(c);
    FDataSetConnections.clear();
    UnhookAfterPost();
    FDataSet = DataSet;
    Grid->SetDataSet(DataSet);
    if (DataSet) {
        auto update = [this] { UpdateActions(); };
        FDataSetConnections << connect(DataSet, &TDataSet::opened, this, update)
                            << connect(DataSet, &TDataSet::closed, this, update)
                            << connect(DataSet, &TDataSet::refreshed, this, update)
                            << connect(DataSet, &TDataSet::stateChanged, this, update)
                            << connect(DataSet, &TDataSet::rowInserted, this, update)
                            << connect(DataSet, &TDataSet::rowRemoved, this, update)
                            << connect(DataSet, &QObject::destroyed, this, [this] {
                                   FDataSet = nullptr;
                                   FDataSetConnections.clear();
                               });
    }
    UpdateActions();
}

void TfrmBaseGridForm::UpdateActions()
{
    const bool open = FDataSet && FDataSet->Active();
    const bool notEmpty = open && !FDataSet->IsEmpty();
    const bool browsing = open && FDataSet->State() == TDataSetState::Browse;
    actnInsert->setEnabled(CanEdit && CanInsert && open);
    actnEdit->setEnabled(CanEdit && notEmpty);
    actnDelete->setEnabled(CanEdit && CanDelete && notEmpty);
    actnList->setEnabled(HasLists);
    actnFilter->setEnabled(CanFilter && browsing);
    actnRemoveFilter->setEnabled(FilterActive && CanFilter && browsing);
    actnFind->setEnabled(CanFind && notEmpty);
    actnFindNext->setEnabled(CanFind && notEmpty && FoundOnce);
    actnPrint->setEnabled(browsing);
    actnExit->setEnabled(true);
    actnColumns->setEnabled(true);
    actnRefresh->setEnabled(true);
    actnRestore->setEnabled(false); // the windows of this program are never MDI children
    actnSelectionPick->setEnabled(notEmpty);
}

void TfrmBaseGridForm::AfterCreate()
{
    EnsureBaseCaption();
    FCreatedHookRan = true;
    RelayoutToolbar();
    UpdateActions();
}

void TfrmBaseGridForm::FirstShow()
{
    EnsureBaseCaption();
}

void TfrmBaseGridForm::showEvent(QShowEvent *Event)
{
    TfrmBaseForm::showEvent(Event);
    RelayoutToolbar();
    UpdateActions();
}

void TfrmBaseGridForm::AfterShow()
{
    if (isModal())
        ReadPickerRequest();
}

// --- toolbar ---

void TfrmBaseGridForm::LayoutToolbar()
{
    ToolbarLayout.ClearLayout();
    btnAdd->setVisible(CanInsert);
    btnEdit->setVisible(CanEdit);
    btnDel->setVisible(CanDelete);
    btnCommentPanel->setVisible(HasComments);
    btnLists->setVisible(HasLists);
    btnFind->setVisible(CanFind);
    btnFindNext->setVisible(CanFind);
    btnFilter->setVisible(CanFilter);
    btnFilter_Remove->setVisible(CanFilter);
    btnPrint->setVisible(CanPrint);
    btnPick->setVisible(ShowPick);
    ToolbarLayout.AddButton(1, btnAdd);
    ToolbarLayout.AddButton(1, btnEdit);
    ToolbarLayout.AddButton(1, btnDel);
    ToolbarLayout.AddButton(2, btnCommentPanel);
    ToolbarLayout.AddButton(3, btnLists);
    ToolbarLayout.AddButton(4, btnFind);
    ToolbarLayout.AddButton(4, btnFindNext);
    ToolbarLayout.AddButton(5, btnFilter);
    ToolbarLayout.AddButton(5, btnFilter_Remove);
    ToolbarLayout.AddButton(6, btnPrint);
    ToolbarLayout.AddButton(7, btnPick);
}

void TfrmBaseGridForm::ApplyToolbarLayout()
{
    try {
        ToolbarLayout.ApplyLayout();
        PlaceRightButtons();
    } catch (...) {
        throw EListError(QStringLiteral(
            "Error! You might have set form.visible=true or trying to create a designtime MDIChild!"));
    }
}

void TfrmBaseGridForm::RelayoutToolbar()
{
    LayoutToolbar();
    ApplyToolbarLayout();
}

void TfrmBaseGridForm::PlaceRightButtons()
{
    int x = ToolbarPanel->width() - 4;
    for (QToolButton *b : {btnExit, btnRestoreWindow}) {
        if (b->isHidden())
            continue;
        x -= b->width();
        b->move(x, b->y());
        x -= 2;
    }
}

bool TfrmBaseGridForm::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == ToolbarPanel && Event->type() == QEvent::Resize)
        PlaceRightButtons();
    return TfrmBaseForm::eventFilter(Watched, Event);
}

bool TfrmBaseGridForm::EnterMovesFocus(QWidget *focused) const
{
    for (QWidget *w = focused; w && w != this; w = w->parentWidget())
        if (qobject_cast<QAbstractItemView *>(w))
            return false;
    return TfrmBaseForm::EnterMovesFocus(focused);
}

// --- placement and layout ---

int TfrmBaseGridForm::LayoutVersion() const
{
    if (Grid->Tag > 0)
        return Grid->Tag;
    if (DataSourceTag > 0)
        return DataSourceTag;
    return FDataSet ? FDataSet->Tag : 0;
}

QString TfrmBaseGridForm::LayoutKey() const
{
    return QStringLiteral("grid_layout(") + Grid->objectName() + QLatin1Char(')');
}

void TfrmBaseGridForm::LoadPlacement()
{
    TfrmBaseForm::LoadPlacement();
    if (!HasSettings())
        return;
    TXMLSettings *s = Settings();
    if (HasComments) {
        const bool show = s->ReadBool(QStringLiteral("ShowCommentPanel"), false);
        const int h = s->ReadInteger(QStringLiteral("CommentsPanelHeight"), 0);
        if (h > 0)
            pnlComments->resize(pnlComments->width(), h);
        btnCommentPanel->setChecked(show);
        ToggleComments(show);
        if (show && h > 0) {
            const int total = std::max(CommentSplitter->height(), h + 60);
            CommentSplitter->setSizes({total - h, h});
        }
    }
    if (SaveLayout) {
        const int stored = s->ReadInteger(QStringLiteral("grid_layout_version"), 0);
        if (stored == LayoutVersion()) {
            const QString text = s->ReadString(LayoutKey(), QString());
            if (!text.isEmpty())
                Grid->LoadLayout(Base64DecodeNoFill(text.toLatin1()));
        }
    }
}

void TfrmBaseGridForm::SavePlacement()
{
    TfrmBaseForm::SavePlacement();
    if (!HasSettings())
        return;
    TXMLSettings *s = Settings();
    if (HasComments) {
        s->WriteBool(QStringLiteral("ShowCommentPanel"), !pnlComments->isHidden());
        const int h = pnlComments->isHidden() ? pnlComments->height() : CommentSplitter->sizes().value(1);
        if (h > 0)
            s->WriteInteger(QStringLiteral("CommentsPanelHeight"), h);
    }
    if (SaveLayout) {
        s->WriteString(LayoutKey(), QString::fromLatin1(Base64EncodeNoFill(Grid->SaveLayout())));
        const int version = LayoutVersion();
        if (version > 0)
            s->WriteInteger(QStringLiteral("grid_layout_version"), version);
    }
}

void TfrmBaseGridForm::ToggleComments(bool Show)
{
    if (!HasComments)
        Show = false;
    pnlComments->setVisible(Show);
    if (btnCommentPanel->isChecked() != Show) {
        const QSignalBlocker b(btnCommentPanel);
        btnCommentPanel->setChecked(Show);
    }
}

// --- notices ---

void TfrmBaseGridForm::PrepareNotice(TNotifyPopup *Popup, int Kind)
{
    Popup->SetHideDelay(4000);
    switch (Kind) {
    case lnInfo:
        Popup->SetColor(QColor(255, 255, 224));
        Popup->SetImage(ListIcon(QStringLiteral("dialog-information"),
                                 style()->standardIcon(QStyle::SP_MessageBoxInformation)));
        break;
    case lnError:
        Popup->SetColor(QColor(255, 224, 224));
        Popup->SetImage(ListIcon(QStringLiteral("dialog-error"),
                                 style()->standardIcon(QStyle::SP_MessageBoxCritical)));
        break;
    case lnNote:
        Popup->SetColor(QColor(224, 224, 255));
        Popup->SetImage(ListIcon(QStringLiteral("dialog-warning"),
                                 style()->standardIcon(QStyle::SP_MessageBoxWarning)));
        break;
    default:
        break;
    }
}

// --- rows ---

int TfrmBaseGridForm::RecordCount() const
{
    return FDataSet && FDataSet->Active() ? FDataSet->RecordCount() : 0;
}

QVariant TfrmBaseGridForm::CurrentKey() const
{
    if (!FDataSet || !FDataSet->Active() || FDataSet->IsEmpty())
        return QVariant();
    TField *f = FDataSet->FindField(KeyField);
    return f ? f->Value() : QVariant();
}

void TfrmBaseGridForm::RememberCurrent()
{
    FRememberedKey = CurrentKey();
}

void TfrmBaseGridForm::ReturnToRemembered()
{
    if (!FDataSet || !FDataSet->Active())
        return;
    if (IsNullValue(FRememberedKey) || !LocateRecord(FDataSet, KeyField, {FRememberedKey}))
        FDataSet->First();
}

bool TfrmBaseGridForm::LocateRecord(TDataSet *DataSet, const QString &Fields, const QVariantList &Values)
{
    if (!DataSet)
        return false;
    const QStringList names = Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    std::vector<TField *> fields;
    for (const QString &n : names) {
        TField *f = DataSet->FindField(n.trimmed());
        if (!f)
            throw EListError(Format(QStringLiteral("Bad seek field name! %s"), n.trimmed()));
        fields.push_back(f);
    }
    if (!DataSet->Active() || fields.empty() || Values.size() < qsizetype(fields.size()))
        return false;
    for (const QVariant &v : Values)
        if (IsNullValue(v))
            return false;
    if (fields.size() == 1 && (fields[0]->DataType() == TFieldType::Integer ||
                               fields[0]->DataType() == TFieldType::LargeInt)) {
        QVariant key;
        try {
            key = fields[0]->Convert(Values[0]);
        } catch (...) {
            return false;
        }
        return DataSet->Locate(fields[0]->FieldName(), key);
    }
    // Scan without moving, then move once (one BeforeScroll, one AfterScroll).
    const int rows = DataSet->RecordCount();
    for (int r = 0; r < rows; ++r) {
        bool all = true;
        for (size_t i = 0; i < fields.size() && all; ++i)
            all = FieldEquals(*fields[i], fields[i]->ValueAt(r), Values[qsizetype(i)]);
        if (all) {
            if (DataSet->CurrentRow() != r)
                DataSet->SetRecNo(r + 1);
            return true;
        }
    }
    return false;
}

bool TfrmBaseGridForm::LocateKey(const QVariant &Value)
{
    RememberCurrent();
    if (LocateRecord(FDataSet, KeyField, {Value}))
        return true;
    if (FDataSet && FDataSet->Active() && !IsNullValue(FRememberedKey))
        LocateRecord(FDataSet, KeyField, {FRememberedKey});
    return false;
}

QString TfrmBaseGridForm::StatusText() const
{
    if (RecordCount() == 0)
        return QStringLiteral(" Няма намерени записи.");
    int no = Grid->currentIndex().isValid() ? Grid->currentIndex().row() + 1 : FDataSet->RecNo();
    if (no <= 0)
        no = FDataSet->RecNo();
    return Format(QStringLiteral(" Запис № %d от общо %d"), no, RecordCount());
}

void TfrmBaseGridForm::ShowStatus(QLabel *Panel) const
{
    if (Panel)
        Panel->setText(StatusText());
}

// --- actions ---

void TfrmBaseGridForm::HookAfterPost()
{
    if (!FDataSet || FAfterPostHooked)
        return;
    FPreviousAfterPost = FDataSet->AfterPost;
    FAfterPostHooked = true;
    PostedInPicker = false;
    auto previous = FPreviousAfterPost;
    FDataSet->AfterPost = [this, previous](TDataSet &ds) {
        PostedInPicker = true;
        if (previous)
            previous(ds);
    };
}

void TfrmBaseGridForm::UnhookAfterPost()
{
    if (!FAfterPostHooked)
        return;
    FAfterPostHooked = false;
    if (FDataSet)
        FDataSet->AfterPost = FPreviousAfterPost;
    FPreviousAfterPost = nullptr;
}

void TfrmBaseGridForm::actnInsertExecute()
{
    if (!FDataSet)
        return;
    if (PickerMode)
        HookAfterPost();
    FDataSet->Append();
}

void TfrmBaseGridForm::actnEditExecute()
{
    if (!FDataSet)
        return;
    if (PickerMode)
        HookAfterPost();
    FDataSet->Edit();
}

void TfrmBaseGridForm::actnDeleteExecute()
{
    if (!FDataSet || !FDataSet->Active() || FDataSet->IsEmpty())
        return;
    if (DeleteBlocked())
        return;
    if (CyrMessageDlg(QStringLiteral("Моля, потвърдете изтриване!"), mtConfirmation, {mbYes, mbNo}) != mrYes)
        return;
    BeforeDeleteRow();
    FDataSet->Delete();
}

void TfrmBaseGridForm::GridDoubleClicked()
{
    if (!FDataSet || !FDataSet->Active() || FDataSet->IsEmpty())
        return;
    if (PickerMode)
        Run([this] { Pick(); });
    else if (actnEdit->isEnabled())
        actnEdit->trigger();
}

void TfrmBaseGridForm::Pick()
{
    Picked = FDataSet && FDataSet->Active() && !FDataSet->IsEmpty();
    UnhookAfterPost();
    SetModalResult(mrOk);
}

void TfrmBaseGridForm::StoreSelection()
{
    if (PickerMode && Picked)
        PutGlobalValue(ListName + QStringLiteral("::SELECTION"), CurrentKey());
}

bool TfrmBaseGridForm::CloseQuery(int Result)
{
    if (FDataSet && FDataSet->IsEditing()) {
        // A row that cannot be posted keeps the list open, in edit.
        try {
            FDataSet->Post();
        } catch (...) {
            HandleException(std::current_exception());
            return false;
        }
    }
    if (!TfrmBaseForm::CloseQuery(Result))
        return false;
    StoreSelection();
    UnhookAfterPost();
    return true;
}

void TfrmBaseGridForm::ReadPickerRequest()
{
    const QString ret = TakeGlobalValue(ListName + QStringLiteral("::RETURN_SELECTION"), QString()).toString();
    const QString cmd = TakeGlobalValue(ListName + QStringLiteral("::SHOWCMD"), QString()).toString();
    const QVariant key = TakeGlobalValue(ListName + QStringLiteral("::KEY"), QStringLiteral("-EMPTY-"));
    // Nothing addressed to this list outlives its opening.
    DropGlobalValues(ListName);
    if (ret == QLatin1String("1")) {
        PickerMode = true;
        ShowPick = true;
        Picked = false;
        PostedInPicker = false;
        if (!windowTitle().endsWith(QStringLiteral(" [избор]")))
            setWindowTitle(windowTitle() + QStringLiteral(" [избор]"));
        Grid->SetReadOnly(true);
        if (!CanEdit)
            Grid->SetRowSelect(true);
        RelayoutToolbar();
    }
    const bool isKey = !(key.typeId() == QMetaType::QString && key.toString() == QLatin1String("-EMPTY-"));
    if (cmd == QLatin1String("NEW")) {
        Run([this] { actnInsertExecute(); });
        if (PickerMode && PostedInPicker)
            Pick();
    } else if (cmd == QLatin1String("POS")) {
        if (isKey)
            LocateKey(key);
    } else if (cmd == QLatin1String("EDIT")) {
        if (isKey)
            LocateKey(key);
        Run([this] { actnEditExecute(); });
        if (PickerMode && PostedInPicker)
            Pick();
    }
    UpdateActions();
}

void TfrmBaseGridForm::actnRefreshExecute()
{
    ReopenKeepPosition();
}

void TfrmBaseGridForm::ReopenKeepPosition()
{
    if (!FDataSet)
        return;
    if (FDataSet->Active())
        FDataSet->CheckBrowseMode(); // a row in edit is posted, not dropped
    FDataSet->DisableControls();
    try {
        RememberCurrent();
        FDataSet->Close();
        if (ServerSort)
            ApplyServerSort();
        FDataSet->Open();
        FDataSet->Last();
        FDataSet->First();
        ReturnToRemembered();
    } catch (...) {
        FDataSet->EnableControls();
        throw;
    }
    FDataSet->EnableControls();
}

void TfrmBaseGridForm::SetSortFields(const QStringList &FieldNames, const QStringList &SqlExpressions)
{
    FSortFieldNames = FieldNames;
    FSortExpressions = SqlExpressions;
}

QString TfrmBaseGridForm::ServerSortList() const
{
    QStringList parts;
    TDataSetModel *m = Grid->Model();
    // In the order the user marked the columns.
    for (int c : m->SortedColumns()) {
        const QString field = m->Column(c).FieldName;
        const qsizetype at = [&] {
            for (qsizetype i = 0; i < FSortFieldNames.size(); ++i)
                if (FSortFieldNames[i].compare(field, Qt::CaseInsensitive) == 0)
                    return i;
            return qsizetype(-1);
        }();
        if (at < 0)
            continue;
        parts << FSortExpressions.value(at, field) +
                     (m->Column(c).SortMarker == 2 ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    }
    return parts.join(QStringLiteral(", "));
}

void TfrmBaseGridForm::ApplyServerSort()
{
    if (!FDataSet)
        return;
    const QString list = ServerSortList();
    if (list.isEmpty())
        return;
    const QString sql = WithOrderBy(FDataSet->SelectSQL(), list);
    if (sql == FDataSet->SelectSQL())
        return;
    const bool wasActive = FDataSet->Active();
    QVariantMap saved;
    for (int i = 0; i < FDataSet->ParamCount(); ++i)
        saved.insert(FDataSet->Param(i).Name(), FDataSet->Param(i).Value);
    if (wasActive)
        RememberCurrent();
    FDataSet->SetSelectSQL(sql);
    for (auto it = saved.cbegin(); it != saved.cend(); ++it)
        if (TParam *p = FDataSet->FindParam(it.key()))
            p->Value = it.value();
    if (wasActive) {
        FDataSet->Open();
        ReturnToRemembered();
    }
}

void TfrmBaseGridForm::SetDSParam(const QString &Name, const QVariant &Value)
{
    Q_UNUSED(Name);
    Q_UNUSED(Value);
}

void TfrmBaseGridForm::SetParamAndOpen(TDataSet *DataSet, const QString &Name, const QVariant &Value)
{
    if (!DataSet)
        return;
    DataSet->ParamByName(Name).SetValue(Value);
    if (DataSet->Active())
        DataSet->Refresh();
    else
        DataSet->Open();
}

void TfrmBaseGridForm::SetParamsAndOpen(TDataSet *DataSet, const QString &Names, const QVariantList &Values)
{
    if (!DataSet)
        return;
    const QStringList names = Names.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return;
    for (qsizetype i = 0; i < names.size(); ++i)
        DataSet->ParamByName(names[i].trimmed()).SetValue(Values.value(i));
    if (DataSet->Active())
        DataSet->Refresh();
    else
        DataSet->Open();
}

// --- filter ---

bool TfrmBaseGridForm::ApplyWhere(const QString &, const QVariantMap &)
{
    return true;
}

void TfrmBaseGridForm::EnsureBaseCaption()
{
    if (BaseCaption.isEmpty() && !FilterActive)
        BaseCaption = windowTitle();
}

void TfrmBaseGridForm::RemoveFilter()
{
    EnsureBaseCaption();
    WhereClause = QStringLiteral("where (1=1)");
    FilterActive = false;
    setWindowTitle(BaseCaption);
    UpdateActions();
}

void TfrmBaseGridForm::ShowFilterCaption(const QString &Text)
{
    EnsureBaseCaption();
    setWindowTitle(BaseCaption + QStringLiteral(" [") + Text + QLatin1Char(']'));
}

void TfrmBaseGridForm::SetFilter(const QString &Expression, const QString &Caption, const QVariantMap &Params)
{
    const QString where = QStringLiteral("where (") + Expression + QLatin1Char(')');
    if (!ApplyWhere(where, Params))
        return;
    WhereClause = where;
    ShowFilterCaption(Caption);
    FilterActive = true;
    UpdateActions();
}

// --- search ---

bool TfrmBaseGridForm::ExecSearchDialog(TfrmSearchAct *Dialog)
{
    return Dialog->exec() == mrOk;
}

void TfrmBaseGridForm::actnFindExecute()
{
    if (!FDataSet || !FDataSet->Active())
        return;
    TXMLSettings *root = AppSettingsExists() ? &AppSettings() : nullptr;
    const QString historyKey = ListName + QStringLiteral("_SearchHistory");
    const QString fieldsKey = ListName + QStringLiteral("_SearchFields");
    auto lines = [](const QString &text) {
        QStringList out;
        for (const QString &l : text.split(QLatin1Char('\n')))
            if (!QString(l).remove(QLatin1Char('\r')).isEmpty())
                out << QString(l).remove(QLatin1Char('\r'));
        return out;
    };
    const QStringList history = root ? lines(root->ReadString(historyKey, QString())) : QStringList();
    const QStringList storedFields = root ? lines(root->ReadString(fieldsKey, QString())) : SearchFields;

    TfrmSearchAct dlg(this);
    dlg.SetCriteria(history);
    for (int i = 0; i < FDataSet->FieldCount(); ++i) {
        TField &f = FDataSet->Fields(i);
        if (!f.Visible)
            continue;
        dlg.AddField(f.DisplayName(), f.FieldName(), storedFields.contains(f.FieldName(), Qt::CaseInsensitive));
    }
    if (!ExecSearchDialog(&dlg))
        return;
    SearchText = dlg.CriteriaText();
    SearchFields = dlg.CheckedFields();
    if (root) {
        const QStringList h = SearchText.isEmpty() ? history : UpdateSearchHistory(history, SearchText);
        root->WriteString(historyKey, h.join(QStringLiteral("\r\n")));
        root->WriteString(fieldsKey, SearchFields.join(QStringLiteral("\r\n")));
    }
    Search(false);
}

void TfrmBaseGridForm::actnFindNextExecute()
{
    Search(true);
}

bool TfrmBaseGridForm::Search(bool Next)
{
    if (!FDataSet || !FDataSet->Active())
        return false;
    TDataSetModel *m = Grid->Model();
    std::vector<TField *> fields;
    for (const QString &n : SearchFields)
        if (TField *f = FDataSet->FindField(n))
            fields.push_back(f);
    const QString wanted = SearchText.toUpper();
    int start = 0;
    if (Next) {
        const int cur = m->ViewRow(FDataSet->CurrentRow());
        start = cur + 1;
    }
    int found = -1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FDataSet->DisableControls();
    try {
        if (!fields.empty()) {
            const int rows = m->RowCount();
            for (int v = std::max(0, start); v < rows && found < 0; ++v) {
                const int r = m->DataSetRow(v);
                for (TField *f : fields)
                    if (f->DisplayTextAt(r).toUpper().contains(wanted)) {
                        found = r;
                        break;
                    }
            }
        }
        if (found >= 0 && found != FDataSet->CurrentRow())
            FDataSet->SetRecNo(found + 1);
    } catch (...) {
        FDataSet->EnableControls();
        QApplication::restoreOverrideCursor();
        throw;
    }
    FDataSet->EnableControls();
    QApplication::restoreOverrideCursor();
    if (found >= 0) {
        FoundOnce = true;
        Grid->SyncToDataSet();
    } else {
        FoundOnce = false;
        ShowNotice(lnInfo, Next ? QStringLiteral("Друг такъв запис не е намерен!")
                                : QStringLiteral("Такъв запис не е намерен!"));
    }
    UpdateActions();
    return found >= 0;
}

// --- columns, printing, export ---

bool TfrmBaseGridForm::ExecColumnChooser(TdlgListChoose *Dialog)
{
    return Dialog->exec() == mrOk;
}

void TfrmBaseGridForm::actnColumnsExecute()
{
    TdlgListChoose dlg(this);
    dlg.setWindowTitle(QStringLiteral("Избор на колони за визуализация"));
    dlg.ShowAllNone(true);
    dlg.SetAllowDrag(false);
    TDataSetModel *m = Grid->Model();
    for (int c = 0; c < m->ColumnCount(); ++c)
        dlg.AddItem(m->ColumnTitle(c), m->Column(c).Visible, c);
    if (!ExecColumnChooser(&dlg))
        return;
    for (int i = 0; i < dlg.Count(); ++i)
        Grid->SetColumnVisible(dlg.ItemObject(i).toInt(), dlg.Checked(i));
}

void TfrmBaseGridForm::actnPrintExecute()
{
    PreviewGridPrint(Grid->PrintData(windowTitle()), this, PrintLandscape);
}

QString TfrmBaseGridForm::AskCsvFileName(const QString &Proposed)
{
    QFileDialog dlg(this, QStringLiteral("Запис на справката"), Proposed,
                    QStringLiteral("CSV файлове (*.CSV *.csv);;Всички файлове (*)"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("CSV"));
    dlg.selectFile(Proposed);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

void TfrmBaseGridForm::OpenExportedFile(const QString &Path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(Path));
}

void TfrmBaseGridForm::ExportCsv(const QString &Prefix)
{
    const QString text = GridToCsv(Grid);
    const QString proposed = QDir(CsvReportsFolder()).filePath(CsvFileName(Prefix, windowTitle()));
    const QString path = AskCsvFileName(proposed);
    if (path.isEmpty())
        return;
    try {
        WriteCsvFile(path, text);
    } catch (const ENotWin1251 &) {
        throw;
    } catch (...) {
        CyrMessageDlg(QStringLiteral("Файлът не може да се запише! Пробвайте отново с друго име!"), mtError,
                      {mbOK});
        return;
    }
    if (CyrMessageDlg(QStringLiteral("Справката е експортирана. Желаете ли да отворите файла в excel?"),
                      mtInformation, {mbYes, mbNo}) == mrYes)
        OpenExportedFile(path);
}

// --- TIBGridForm ---------------------------------------------------------

TIBGridForm::TIBGridForm(QWidget *owner) : TfrmBaseGridForm(owner)
{
    setObjectName(QStringLiteral("IBGridForm"));
    PagerPanel = new QWidget(this);
    PagerPanel->setObjectName(QStringLiteral("PagerPanel"));
    PagerPanel->hide();
    layout()->addWidget(PagerPanel);
}

bool TIBGridForm::ApplyWhere(const QString &WhereText, const QVariantMap &Params)
{
    TDataSet *ds = DataSet();
    if (!ds)
        return false;
    const QString oldSql = ds->SelectSQL();
    QString sql = oldSql;
    const bool wasActive = ds->Active();
    if (wasActive)
        ds->CheckBrowseMode();
    ds->DisableControls();
    RememberCurrent();
    auto done = [&] {
        ReturnToRemembered();
        ds->EnableControls();
    };
    const bool found = ReplaceWhere(sql, WhereClause, WhereText);
    if (!found || sql == oldSql) {
        try {
            done();
        } catch (...) {
            ds->EnableControls();
            throw;
        }
        return found; // a statement without the anchor cannot be filtered
    }
    QVariantMap saved;
    for (int i = 0; i < ds->ParamCount(); ++i)
        saved.insert(ds->Param(i).Name(), ds->Param(i).Value);
    auto restoreParams = [&] {
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            if (TParam *p = ds->FindParam(it.key()))
                p->Value = it.value();
    };
    try {
        ds->Close();
        ds->SetSelectSQL(sql);
        restoreParams();
        for (auto it = Params.cbegin(); it != Params.cend(); ++it)
            ds->ParamByName(it.key()).SetValue(it.value());
        ds->Open();
    } catch (...) {
        // The filter cannot run: back to the statement as it was.
        try {
            ds->Close();
            ds->SetSelectSQL(oldSql);
            restoreParams();
            if (wasActive)
                ds->Open();
            done();
        } catch (...) {
            ds->EnableControls();
            throw;
        }
        return false;
    }
    try {
        done();
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    return true;
}

void TIBGridForm::RemoveFilter()
{
    if (WhereClause == QLatin1String("where (1=1)"))
        return;
    TDataSet *ds = DataSet();
    if (ds) {
        // Unlike a filter, the plain statement must run: its error reaches the caller.
        const QString oldSql = ds->SelectSQL();
        QString sql = oldSql;
        if (ReplaceWhere(sql, WhereClause, QStringLiteral("where (1=1)"))) {
            if (ds->Active())
                ds->CheckBrowseMode();
            QVariantMap saved;
            for (int i = 0; i < ds->ParamCount(); ++i)
                saved.insert(ds->Param(i).Name(), ds->Param(i).Value);
            ds->DisableControls();
            try {
                RememberCurrent();
                ds->Close();
                ds->SetSelectSQL(sql);
                for (auto it = saved.cbegin(); it != saved.cend(); ++it)
                    if (TParam *p = ds->FindParam(it.key()))
                        p->Value = it.value();
                ds->Open();
                ReturnToRemembered();
            } catch (...) {
                ds->EnableControls();
                throw;
            }
            ds->EnableControls();
        }
    }
    TfrmBaseGridForm::RemoveFilter();
}

void TIBGridForm::SetDSParam(const QString &Name, const QVariant &Value)
{
    TDataSet *ds = DataSet();
    TParam *p = ds ? ds->FindParam(Name) : nullptr;
    if (!p)
        throw EListError(Format(QStringLiteral("SetDSParam:Parameter does not exist \"%s\""), Name));
    p->SetValue(Value);
}

// --- TfrmList ------------------------------------------------------------

TfrmList::TfrmList(QWidget *owner) : TfrmBaseGridForm(owner)
{
    setObjectName(QStringLiteral("frmList"));
    HasLists = false;
    CanFilter = false;
    CanFind = false;
    ListName = QStringLiteral("LIST_FORM");
}
