#pragma once
// Datasets: the rows of a select, held whole in memory, with the four
// statements that write them back (insert, modify, delete with :FIELD and
// :OLD_FIELD parameters) and the statement that re-reads one row (refresh).
// The screens bind to them through the table model and the field binder.
//
//   TDataSet q;
//   q.setObjectName("qCities");
//   q.SetTransaction(&dm.IBTransaction);
//   q.SetSelectSQL("select * from CITIES where COUNTRY_ID = :COUNTRY order by NAME");
//   q.SetModifySQL("update CITIES set NAME = :NAME where ID = :OLD_ID");
//   q.SetRefreshSQL("select * from CITIES where ID = :ID");
//   q.ParamByName("COUNTRY").SetAsInteger(1);
//   q.Open();
//   q.Edit(); q.FieldByName("NAME").SetAsString("София"); q.Post();
//
// States: Inactive (closed), Browse, Edit, Insert; CalcFields only while the
// OnCalcFields handler runs. Moving to another row (First, Next, Locate ...)
// posts a row in edit or insert first, as Refresh and a master's scroll do.
//
// Events are single handlers (std::function). A screen that replaces one
// keeps the previous handler and calls it:
//   auto prev = q.BeforePost;
//   q.BeforePost = [prev](TDataSet &ds) { ...; if (prev) prev(ds); };
// A handler that throws EAbort (Abort()) stops the operation silently: a
// Before... handler leaves the dataset as it was; the exception reaches the
// caller, which lets the application swallow it. Any other exception of a
// handler or of the database also reaches the caller. A failing Post leaves
// the dataset in Edit or Insert with every typed value in place.
//
// Signals tell views what changed. Between DisableControls and the matching
// EnableControls (they nest) no signal is sent and details do not follow
// their master; the last EnableControls sends refreshed() (or closed()),
// stateChanged() and rowChanged() once when anything happened meanwhile.
//
// Errors of the dataset itself are EDataSetError; database errors are
// db::DbError; text that Windows-1251 cannot hold is refused with
// ENotWin1251 before anything is sent.

#include "db/db_error.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace db {
class Statement;
struct ColumnInfo;
}  // namespace db

class TDataSet;
class TDBTransaction;

// An error of the dataset layer; what() is the UTF-8 form of Message().
class EDataSetError : public std::runtime_error
{
public:
    explicit EDataSetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &Message() const { return m_message; }

private:
    QString m_message;
};

// Another station changed the row and has not yet committed, or holds it:
// the database's conflict error (its predicates still answer) with a clear
// Bulgarian text in what() and Message().
class EDataConflict : public db::DbError
{
public:
    explicit EDataConflict(const db::DbError &cause);
    const char *what() const noexcept override { return m_what.c_str(); }
    const QString &Message() const { return m_message; }
    static const QString Text;

private:
    QString m_message;
    std::string m_what;
};

enum class TDataSetState { Inactive, Browse, Edit, Insert, CalcFields };

enum class TFieldType {
    Unknown,
    String,    // CHAR, VARCHAR: QString
    Integer,   // SMALLINT, INTEGER: int
    LargeInt,  // BIGINT: qlonglong
    Float,     // FLOAT, DOUBLE, NUMERIC, DECIMAL: double
    Boolean,   // bool
    Date,      // QDate
    Time,      // QTime
    DateTime,  // TIMESTAMP: QDateTime
    Memo,      // text BLOB: QString
    Blob,      // binary BLOB: QByteArray
};

enum class TFieldKind {
    Data,        // a column of the select
    Calculated,  // set by OnCalcFields, kept with each row
    Lookup,      // a value of another dataset found by this row's key fields
};

// One field (column) of a dataset. Plain properties are public members; a
// view reads them when it lays itself out.
class TField
{
public:
    TField(TDataSet *dataSet, const QString &name, TFieldType type, TFieldKind kind, int size);
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TDataSet &DataSet() const { return *m_dataSet; }
    const QString &FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    TFieldKind FieldKind() const { return m_kind; }
    int Index() const { return m_index; }  // position among the dataset's fields
    bool IsNumeric() const;

    // Properties.
    QString DisplayLabel;      // caption; DisplayName() falls back to the field name
    bool Visible = true;
    bool Required = false;     // Post refuses an empty value (after BeforePost)
    bool ReadOnly = false;     // values cannot be set (except by OnCalcFields)
    QString DisplayFormat;     // numbers: FormatFloatAs; dates and times: FormatDateTimeAs
    QString EditFormat;        // numbers in edit text (empty: plain form)
    int DisplayWidth = 0;      // characters; 0: from Size or the type
    int Size = 0;              // characters of a text column
    int Tag = 0;

    // A lookup field: the value of LookupResultField of the LookupDataSet row
    // whose LookupKeyFields equal this row's KeyFields (";"-separated lists).
    QString KeyFields;
    QPointer<TDataSet> LookupDataSet;  // null again when that dataset is destroyed
    QString LookupKeyFields;
    QString LookupResultField;

    QString DisplayName() const { return DisplayLabel.isEmpty() ? m_name : DisplayLabel; }
    int EffectiveDisplayWidth() const;

    // Events of the field.
    // The text of the value: displayText true for showing, false for editing.
    // Replaces the formatting below; field.Text()/DisplayText() inside it would
    // recurse, so it reads Value() and formats itself (or calls FormatText).
    std::function<QString(TField &field, bool displayText)> OnGetText;
    // Sets the value from a typed text, in place of SetAsString.
    std::function<void(TField &field, const QString &text)> OnSetText;
    // After the value changed in edit or insert state.
    std::function<void(TField &field)> OnChange;

    // The value of the row being read: the edit buffer in Edit and Insert
    // state, the current row otherwise (inside OnCalcFields and OnGetText
    // called for another row, that row). NULL is the invalid QVariant.
    QVariant Value() const;
    // Sets the value of the edit buffer (converted to the field's type);
    // only in Edit or Insert state, or for a calculated field inside
    // OnCalcFields. A value that cannot be converted is an EDataSetError.
    void SetValue(const QVariant &value);
    // The value the current row had before the edit began (NULL in insert).
    QVariant OldValue() const;
    bool IsNull() const;
    void Clear() { SetValue(QVariant()); }

    // Conversions. NULL reads as "", 0, 0.0, false and an invalid date.
    QString AsString() const;
    int AsInteger() const;
    qlonglong AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDate AsDate() const;
    QTime AsTime() const;
    QDateTime AsDateTime() const;
    // Empty text sets NULL; numbers take "." or ","; dates "dd.M.yyyy".
    void SetAsString(const QString &text);
    void SetAsInteger(int value) { SetValue(value); }
    void SetAsLargeInt(qlonglong value) { SetValue(value); }
    void SetAsFloat(double value) { SetValue(value); }
    void SetAsBoolean(bool value) { SetValue(value); }
    void SetAsDate(const QDate &value) { SetValue(value); }
    void SetAsTime(const QTime &value) { SetValue(value); }
    void SetAsDateTime(const QDateTime &value) { SetValue(value); }

    // The shown text (OnGetText or DisplayFormat) and the edit text.
    QString DisplayText() const;
    QString Text() const;
    // The text of a value by this field's formats, without OnGetText.
    QString FormatText(const QVariant &value, bool displayText) const;
    // Sets the value from a typed text (OnSetText or SetAsString).
    void SetText(const QString &text);

    // The value and the shown text of a row other than the current one,
    // without moving (0-based row). For views.
    QVariant ValueAt(int row) const;
    QString DisplayTextAt(int row) const;

    // Converts a value to the field's type (NULL stays NULL); throws
    // EDataSetError when it cannot.
    QVariant Convert(const QVariant &value) const;

private:
    friend class TDataSet;
    TDataSet *m_dataSet;
    QString m_name;
    TFieldType m_type;
    TFieldKind m_kind;
    int m_index = -1;   // in the dataset's field list
    int m_slot = -1;    // in a row (data and calculated fields); -1 for lookups
    int m_column = -1;  // in the select's result (data fields)
    bool m_persistent = false;  // defined before Open
};

// A parameter of the select statement.
class TParam
{
public:
    explicit TParam(const QString &name) : m_name(name) {}
    const QString &Name() const { return m_name; }
    QVariant Value;

    bool IsNull() const { return !Value.isValid() || Value.isNull(); }
    void Clear() { Value = QVariant(); }
    void SetValue(const QVariant &value) { Value = value; }
    void SetAsInteger(int value) { Value = value; }
    void SetAsFloat(double value) { Value = value; }
    void SetAsString(const QString &value) { Value = value; }
    void SetAsDate(const QDate &value) { Value = value; }
    void SetAsDateTime(const QDateTime &value) { Value = value; }
    int AsInteger() const { return Value.toInt(); }
    QString AsString() const { return Value.toString(); }

private:
    QString m_name;  // upper case
};

enum TLocateOption {
    loCaseInsensitive = 1,
    loPartialKey = 2,  // a text value matches the start of the field's text
};
using TLocateOptions = int;

// The saved contents of a dataset (rows, position, state and edit buffer),
// to put a dataset back as it was when a unit of work is rolled back.
struct TDataSetSnapshot;

class TDataSet : public QObject
{
    Q_OBJECT
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet &dataSet)>;

    explicit TDataSet(QObject *parent = nullptr);
    ~TDataSet() override;

    // The transaction the statements run on (the data module's main one).
    void SetTransaction(TDBTransaction *transaction);
    TDBTransaction *Transaction() const { return m_transaction; }

    // Statements. Setting the select text of an open dataset closes it; the
    // parameters are taken from the new text, keeping the values of names
    // that remain.
    const QString &SelectSQL() const { return m_selectSQL; }
    void SetSelectSQL(const QString &sql);
    const QString &InsertSQL() const { return m_insertSQL; }
    void SetInsertSQL(const QString &sql) { m_insertSQL = sql; }
    const QString &ModifySQL() const { return m_modifySQL; }
    void SetModifySQL(const QString &sql) { m_modifySQL = sql; }
    const QString &DeleteSQL() const { return m_deleteSQL; }
    void SetDeleteSQL(const QString &sql) { m_deleteSQL = sql; }
    const QString &RefreshSQL() const { return m_refreshSQL; }
    void SetRefreshSQL(const QString &sql) { m_refreshSQL = sql; }

    // Parameters of the select (names without the colon, any case).
    int ParamCount() const { return int(m_params.size()); }
    TParam &Param(int index) { return *m_params.at(index); }
    TParam *FindParam(const QString &name);
    // Throws EDataSetError when the select has no such parameter.
    TParam &ParamByName(const QString &name);

    // Fields. Fields added before Open keep their properties and order; the
    // columns of the select without such a field get a field of their own
    // after them. Calculated and lookup fields are added before Open.
    // Adding a field to an open dataset is an EDataSetError.
    TField &AddField(const QString &name, TFieldType type, int size = 0);
    TField &AddCalcField(const QString &name, TFieldType type, int size = 0);
    TField &AddLookupField(const QString &name, TFieldType type, const QString &keyFields,
                           TDataSet *lookupDataSet, const QString &lookupKeyFields,
                           const QString &lookupResultField, int size = 0);
    // Forgets the fields (closed datasets only).
    void ClearFields();
    int FieldCount() const { return int(m_fields.size()); }
    TField &Fields(int index) const { return *m_fields.at(index); }
    TField *FindField(const QString &name) const;
    TField &FieldByName(const QString &name) const;  // EDataSetError when missing
    QVariant FieldValue(const QString &name) const { return FieldByName(name).Value(); }
    void SetFieldValue(const QString &name, const QVariant &value) { FieldByName(name).SetValue(value); }

    // Master and detail: the select's parameters named like a field of the
    // master take that field's value. An open detail reopens when the master
    // moves to a row with other values, and when the master opens or is
    // refreshed; a row the detail is editing is posted first. A closed
    // detail stays closed.
    void SetMasterSource(TDataSet *master);
    TDataSet *MasterSource() const { return m_master; }

    // State.
    TDataSetState State() const { return m_state; }
    bool Active() const { return m_state != TDataSetState::Inactive; }
    bool IsEditing() const { return m_state == TDataSetState::Edit || m_state == TDataSetState::Insert; }
    void Open();    // BeforeOpen, run the select, fetch every row, AfterOpen, AfterScroll
    void Close();   // BeforeClose, drop rows and edits, AfterClose
    void SetActive(bool active) { active ? Open() : Close(); }
    // A field was set since Edit, Insert or Append.
    bool Modified() const { return m_modified; }

    // Navigation. RecNo is 1-based (0 when empty); rows are 0-based for views.
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const;
    void SetRecNo(int recNo);
    int CurrentRow() const { return m_current; }  // -1 when there is none
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);  // the number of rows actually moved
    // Moves to the first row whose fields (";"-separated) equal the values;
    // false and no move when none does.
    bool Locate(const QString &fields, const QVariantList &values, TLocateOptions options = 0);
    bool Locate(const QString &field, const QVariant &value, TLocateOptions options = 0)
    {
        return Locate(field, QVariantList{value}, options);
    }
    // The result fields' value (a QVariantList for several ";"-separated
    // fields) of the first row whose key fields equal the values; NULL when
    // none. Does not move.
    QVariant Lookup(const QString &keyFields, const QVariantList &values, const QString &resultFields);
    // The row (0-based) whose key fields equal the values exactly, by an
    // index kept until the rows change; -1 when none. Does not move.
    int FindRow(const QString &keyFields, const QVariantList &values);

    // Editing.
    void Insert();  // a new row before the current one
    void Append();  // a new row at the end
    void Edit();    // the current row (Insert when the dataset is empty)
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();  // posts a row in edit or insert; checks Active
    // Re-runs the select, keeping the row number (clamped).
    void Refresh();
    // Re-reads the current row by the refresh statement (nothing without one).
    void RefreshRecord();

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Reading any row without moving (0-based row and field index). The
    // current row in Edit or Insert reads its edit buffer.
    QVariant ValueAt(int row, int field) const;

    // Free for the screens; the list framework takes a grid's layout version from it.
    int Tag = 0;

    // Events (see the top of this file).
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, OnNewRecord;
    TDataSetNotifyEvent BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost;
    TDataSetNotifyEvent BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete;
    TDataSetNotifyEvent BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields;

    // Snapshots for the unit of work.
    std::shared_ptr<TDataSetSnapshot> TakeSnapshot() const;
    void RestoreSnapshot(const TDataSetSnapshot &snapshot);

signals:
    void opened();
    void closed();
    void refreshed();             // every row may have changed: read them again
    void stateChanged();
    void rowChanged();            // the current row is another one
    void fieldChanged(TField *field);  // a value of the current row; null: all of them
    void rowInserted(int row);    // a new row at that position (Insert, Append)
    void rowRemoved(int row);     // the row at that position is gone (Delete, Cancel of an insert)
    void rowUpdated(int row);     // the stored values of that row changed (Post, RefreshRecord)

private:
    friend class TField;
    friend class TDBTransaction;
    using Row = QList<QVariant>;
    struct RowIndex;

    void checkActive() const;
    void checkInactive(const char *what) const;
    void checkTransaction() const;
    TField &newField(const QString &name, TFieldType type, TFieldKind kind, int size);
    void bindFields(const std::vector<db::ColumnInfo> &columns);
    const Row *readRow() const;
    void calcRow(Row &row, int rowIndex);
    void calcAll();
    QVariant lookupValue(const TField &field, const Row &row);
    void setState(TDataSetState state);
    void doScroll(int target);
    void doBeforeScroll();
    void doAfterScroll();
    void fieldSet(TField &field);
    void applyMasterParams();
    void masterChanged(bool force);
    void fetchRows(bool keepPosition);
    Row readRefreshedRow(const Row &row, bool *found);
    void bindWriteParams(db::Statement &st, const Row &newValues, const Row &oldValues);
    void checkRequired();
    void invalidateIndexes();
    void transactionEnded();

    // While controls are disabled a change is only noted, to be signalled once
    // they are enabled again; answers whether the signal is held.
    bool holdWhileDisabled();
    void notifyOpened();
    void notifyClosed();
    void notifyRefreshed();
    void notifyState();
    void notifyRow();
    void notifyRowAndDetails();  // details reopen whatever the master's values
    void notifyField(TField *field);
    void notifyInserted(int row);
    void notifyRemoved(int row);
    void notifyUpdated(int row);
    void notifyDetails(bool force);

    TDBTransaction *m_transaction = nullptr;
    QString m_selectSQL, m_insertSQL, m_modifySQL, m_deleteSQL, m_refreshSQL;
    std::vector<std::unique_ptr<TParam>> m_params;
    std::vector<std::unique_ptr<TField>> m_fields;
    int m_slotCount = 0;  // values in a row: the select's columns, then the calculated fields

    std::vector<Row> m_rows;
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    TDataSetState m_state = TDataSetState::Inactive;
    Row m_edit;  // the edit buffer
    Row m_old;   // the row as it was when the edit began
    bool m_modified = false;
    int m_insertedRow = -1;      // where Insert or Append put the new row
    int m_beforeInsertRow = -1;  // the current row before it

    // The row OnCalcFields, OnGetText or a view is reading (null: the current one).
    mutable const Row *m_readRow = nullptr;
    Row *m_calcRow = nullptr;  // the row OnCalcFields writes

    int m_disableCount = 0;
    bool m_heldChange = false;

    TDataSet *m_master = nullptr;
    std::vector<TDataSet *> m_details;
    QVariantList m_masterValues;  // the master's values the detail last opened with
    bool m_inMasterChange = false;

    std::vector<std::unique_ptr<RowIndex>> m_indexes;
};
