#pragma once

#include "framework/data/dataset.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class TDateEdit;
class TLookupComboBox;

// Ties controls to the fields of a dataset's current row: each control shows
// its field's value whenever the row, the state or the value changes, and a
// user's change puts the dataset into edit (when it browses) and sets the
// field. Edits write as the user types when the text converts, and at the
// latest when the focus leaves or UpdateRecord is called; a text that does
// not convert is reported then and stays in the control.
class TFieldBinder : public QObject
{
    Q_OBJECT
public:
    explicit TFieldBinder(TDataSet *DataSet = nullptr, QObject *Parent = nullptr);
    ~TFieldBinder() override;

    void SetDataSet(TDataSet *DataSet);
    TDataSet *DataSet() const { return FDataSet; }

    // An edit box; a text field limits its length to the field's size.
    void BindEdit(QLineEdit *Edit, const QString &FieldName);
    // A memo (several lines).
    void BindMemo(QPlainTextEdit *Memo, const QString &FieldName);
    // A check box: checked stores Checked, unchecked Unchecked (1 and 0).
    void BindCheckBox(QCheckBox *Box, const QString &FieldName, const QVariant &Checked = 1,
                      const QVariant &Unchecked = 0);
    // A combo box whose items carry keys: the field holds the key of the item
    // chosen; a value without an item shows no item.
    void BindComboBox(QComboBox *Box, const QString &FieldName, const QStringList &Items,
                      const QVariantList &Keys);
    // A combo box whose text is the value (items offered, any text allowed).
    void BindTextComboBox(QComboBox *Box, const QString &FieldName);
    // A lookup combo box: the field holds the key.
    void BindLookup(TLookupComboBox *Box, const QString &FieldName);
    // A date edit that can be empty (NULL).
    void BindDateEdit(TDateEdit *Edit, const QString &FieldName);
    void Unbind(QWidget *Control);

    QWidget *ControlOf(const QString &FieldName) const;
    QString FieldOf(const QWidget *Control) const;
    QList<QWidget *> Controls() const;

    // While disabled the controls do not follow the dataset.
    void SetEnabled(bool On);
    bool Enabled() const { return FEnabled; }
    bool AutoEdit = true;

    // Writes what the user typed and has not been written yet; throws the
    // conversion error of the first control that fails (and focuses it).
    void UpdateRecord();
    bool HasPendingEdits() const;
    // Shows every control's field value again.
    void LoadControls();

    // How an error of a user's edit is shown; the default error box unless
    // replaced.
    std::function<void(std::exception_ptr Error)> OnError;

private:
    enum class Kind { Edit, Memo, Check, Combo, TextCombo, Lookup, Date };
    struct Link
    {
        QPointer<QWidget> Control;
        QString FieldName;
        Kind Type;
        QVariant Checked, Unchecked;
        QVariantList Keys;
        bool Pending = false; // typed text not written yet
    };

    Link *Find(const QWidget *Control);
    const Link *Find(const QWidget *Control) const;
    void Add(Link L);
    void Load(Link &L);
    void LoadField(TField *Field);
    bool BeginEdit(Link &L);
    // Writes a control's value; answers false (the error reported when
    // Report) when it cannot.
    bool Write(Link &L, bool Report);
    void Typed(QWidget *Control);
    void Finished(QWidget *Control);
    void Changed(QWidget *Control); // check boxes, combos, lookups, dates
    void ShowError(std::exception_ptr Error);
    TField *FieldOfLink(const Link &L) const;

    QPointer<TDataSet> FDataSet;
    std::vector<Link> FLinks;
    QList<QMetaObject::Connection> FConnections;
    bool FEnabled = true;
    const QWidget *FWriting = nullptr; // the control whose value is being written
    bool FLoading = false;
};
