#pragma once

// The list forms: one dataset in a data grid under a toolbar of standard
// actions, with the column layout kept in the form's settings node, a text
// search over chosen columns, a filter that rewrites the list's SQL, an
// optional server-side sort, printing, a column chooser and a picker mode in
// which another screen has the user choose one row.
//
//   class TfrmCities : public TIBGridForm {
//   public:
//       explicit TfrmCities(QWidget *owner) : TIBGridForm(owner)
//       {
//           setObjectName("frmCities");
//           ListName = "CITIES";
//           CanFind = true;
//           Grid->AddColumn("NAME", "Град");
//       }
//   };
//   auto *list = main->CreateChildForm<TfrmCities>();
//   list->SetDataSet(&dm.qCities);
//   list->ShowModeless();
//
// Descendants set the flags (CanEdit, CanFind ...) in their constructor; the
// toolbar is laid out after construction and again when the form shows.

#include "framework/forms/baseform.h"
#include "framework/lists/data_grid.h"
#include "framework/lists/toolbar_layout.h"

#include <QStringList>
#include <QVariant>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class TdlgListChoose;
class TfrmSearchAct;

// The notices a list form shows (ShowNotice kinds).
inline constexpr int lnInfo = 1;    // pale yellow
inline constexpr int lnError = 2;   // pale red
inline constexpr int lnNote = 3;    // pale blue

class TfrmBaseGridForm : public TfrmBaseForm
{
    Q_OBJECT
public:
    explicit TfrmBaseGridForm(QWidget *owner = nullptr);
    ~TfrmBaseGridForm() override;

    // The dataset the list shows.
    void SetDataSet(TDataSet *DataSet);
    TDataSet *DataSet() const { return FDataSet; }
    // The tag of the list's data source: the grid layout's version when the
    // grid's own tag is 0 (then the dataset's tag is used).
    int DataSourceTag = 0;

    // --- Components ---
    TDataGrid *Grid = nullptr;
    QWidget *ToolbarPanel = nullptr;
    QWidget *FiltersPanel = nullptr;   // a second toolbar row for descendants, hidden
    QSplitter *CommentSplitter = nullptr;
    QWidget *pnlComments = nullptr;    // hidden unless HasComments and shown
    QMenu *GridPopupMenu = nullptr;
    QToolButton *btnAdd = nullptr, *btnEdit = nullptr, *btnDel = nullptr, *btnCommentPanel = nullptr,
                *btnLists = nullptr, *btnFind = nullptr, *btnFindNext = nullptr, *btnFilter = nullptr,
                *btnFilter_Remove = nullptr, *btnPrint = nullptr, *btnPick = nullptr,
                *btnRestoreWindow = nullptr, *btnExit = nullptr;
    QAction *actnInsert = nullptr, *actnEdit = nullptr, *actnDelete = nullptr, *actnList = nullptr,
            *actnFilter = nullptr, *actnRemoveFilter = nullptr, *actnFind = nullptr,
            *actnFindNext = nullptr, *actnPrint = nullptr, *actnExit = nullptr, *actnColumns = nullptr,
            *actnRefresh = nullptr, *actnRestore = nullptr, *actnSelectionPick = nullptr;
    TToolbarLayout ToolbarLayout;

    // --- State ---
    bool CanEdit = true, CanInsert = true, CanDelete = true, CanFind = false, CanFilter = true,
         HasLists = true, CanPrint = false, SaveLayout = true, HasComments = false, ShowPick = false,
         ServerSort = false, FilterActive = false, FoundOnce = false;
    QString KeyField = QStringLiteral("ID");
    QString ListName = QStringLiteral("BASEGRID");
    QString BaseCaption;
    QString WhereClause = QStringLiteral("where (1=1)");
    QString SearchText;
    QStringList SearchFields;
    bool PickerMode = false, Picked = false, PostedInPicker = false;
    bool PrintLandscape = false;

    // --- Virtual operations ---
    virtual bool DeleteBlocked() { return false; }
    virtual void BeforeDeleteRow() {}
    // Replaces the list's WHERE text and reopens; answers success. The
    // parameters are values for names the new text brings in.
    virtual bool ApplyWhere(const QString &WhereText, const QVariantMap &Params = {});
    virtual void RemoveFilter();
    virtual void LayoutToolbar();
    virtual void ApplyToolbarLayout();
    virtual void RememberCurrent();
    virtual void ReturnToRemembered();
    virtual void SetDSParam(const QString &Name, const QVariant &Value);
    virtual bool LocateRecord(TDataSet *DataSet, const QString &Fields, const QVariantList &Values);
    virtual void ApplyServerSort();
    virtual void ReopenKeepPosition();
    virtual void SetParamAndOpen(TDataSet *DataSet, const QString &Name, const QVariant &Value);
    virtual void SetParamsAndOpen(TDataSet *DataSet, const QString &Names, const QVariantList &Values);
    virtual void ReadPickerRequest();
    virtual void ShowFilterCaption(const QString &Text);
    virtual int RecordCount() const;
    virtual void RelayoutToolbar();
    virtual void SetFilter(const QString &Expression, const QString &Caption,
                           const QVariantMap &Params = {});

    // --- Interfaces ---
    // Declares for the server-side sort the SQL expression of each grid field.
    void SetSortFields(const QStringList &FieldNames, const QStringList &SqlExpressions);
    // The ORDER BY list the current sort markers give ("" when none).
    QString ServerSortList() const;
    QVariant CurrentKey() const;
    bool LocateKey(const QVariant &Value);
    void RefreshList() { actnRefreshExecute(); }
    QString StatusText() const;
    void ShowStatus(QLabel *Panel) const;
    // The picker's choice: marks the current row picked and closes with OK.
    void Pick();

    // The text search: from the first row, or from the row after the current
    // one. Answers whether a row was found (the list moved to it); otherwise
    // the list stays where it was and shows the "not found" notice.
    bool Search(bool Next);

    // The action handlers (also what the toolbar, menu and keys run). Errors
    // propagate to the caller; the toolbar and the keys show them.
    virtual void actnInsertExecute();
    virtual void actnEditExecute();
    virtual void actnDeleteExecute();
    virtual void actnListExecute() {}
    virtual void actnFilterExecute() {}
    virtual void actnRemoveFilterExecute() { RemoveFilter(); }
    virtual void actnFindExecute();
    virtual void actnFindNextExecute();
    virtual void actnPrintExecute();
    virtual void actnColumnsExecute();
    virtual void actnRefreshExecute();
    virtual void actnSelectionPickExecute() { Pick(); }
    // Enables the actions by their rules.
    virtual void UpdateActions();

    // CSV export of the grid into "CSV_REPORTS" beside the program (the file
    // name from Prefix and the filter caption), then the question whether to
    // open it.
    void ExportCsv(const QString &Prefix);

    void LoadPlacement() override;
    void SavePlacement() override;
    // Enter inside the grid (its cell editors included) stays in the grid.
    bool EnterMovesFocus(QWidget *focused) const override;

protected:
    // The modal steps, replaceable (tests answer them): true on OK.
    virtual bool ExecSearchDialog(TfrmSearchAct *Dialog);
    virtual bool ExecColumnChooser(TdlgListChoose *Dialog);
    // The CSV file to write (proposed: the full proposed path); empty: none.
    virtual QString AskCsvFileName(const QString &Proposed);
    virtual void OpenExportedFile(const QString &Path);

    void AfterCreate() override;
    void FirstShow() override;
    void AfterShow() override;
    void PrepareNotice(TNotifyPopup *Popup, int Kind) override;
    bool CloseQuery(int Result) override;
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

    // The grid's layout version (see the layout keys).
    int LayoutVersion() const;
    QString LayoutKey() const;

    QVariant FRememberedKey;
    // Server sort: declared fields with their expressions.
    QStringList FSortFieldNames, FSortExpressions;

private:
    QToolButton *MakeButton(const char *Name, QAction *Action, const char *Icon);
    QAction *MakeAction(const char *Name, const QString &Caption, const QString &Hint,
                        const QKeySequence &Shortcut);
    void Run(const std::function<void()> &Handler);
    void PlaceRightButtons();
    void GridDoubleClicked();
    void ToggleComments(bool Show);
    void HookAfterPost();
    void UnhookAfterPost();
    void StoreSelection();
    void EnsureBaseCaption();

    TDataSet *FDataSet = nullptr;
    QList<QMetaObject::Connection> FDataSetConnections;
    TDataSet::TDataSetNotifyEvent FPreviousAfterPost;
    bool FAfterPostHooked = false;
    bool FCreatedHookRan = false;
    bool FSearchNextRun = false;
};

// A list bound to a dataset of the database: the filter rewrites its select
// statement, and closing posts a row in edit (staying open when that fails).
class TIBGridForm : public TfrmBaseGridForm
{
    Q_OBJECT
public:
    explicit TIBGridForm(QWidget *owner = nullptr);

    QWidget *PagerPanel = nullptr; // hidden

    bool ApplyWhere(const QString &WhereText, const QVariantMap &Params = {}) override;
    void RemoveFilter() override;
    void SetDSParam(const QString &Name, const QVariant &Value) override;
};

// The trimmed list for simple code lists (no lists, find or filter).
class TfrmList : public TfrmBaseGridForm
{
    Q_OBJECT
public:
    explicit TfrmList(QWidget *owner = nullptr);
};

// The search history after using Criterion: a new one goes to the top, one
// already in the list swaps places with the first, at most 10 are kept.
QStringList UpdateSearchHistory(const QStringList &History, const QString &Criterion);

// The CSV text of the grid's rows: the visible columns' titles in quotes, then
// one line per row (CR LF before each), values separated by ";"; an empty
// value is "", a text value is quoted, another value is quoted when it holds
// a double quote; quotes inside quotes are doubled. Empty without rows.
QString GridToCsv(TDataGrid *Grid);
// The folder "CSV_REPORTS" beside the program (made when missing).
QString CsvReportsFolder();
// A file name for an export: Prefix and the filter caption (the text between
// "[" and "]" of Caption, double quotes removed), with every character a file
// name cannot hold replaced by "_", and ".CSV".
QString CsvFileName(const QString &Prefix, const QString &Caption);
// Writes Text as Windows-1251 bytes; ENotWin1251 for text the code page
// cannot hold, EListError when the file cannot be written.
void WriteCsvFile(const QString &Path, const QString &Text);
// Replaces the first occurrence of Old in Sql by New (answers false when
// there is none).
bool ReplaceWhere(QString &Sql, const QString &Old, const QString &New);
// The select statement with its ORDER BY list replaced (found without regard
// to case) or appended.
QString WithOrderBy(const QString &Sql, const QString &List);
