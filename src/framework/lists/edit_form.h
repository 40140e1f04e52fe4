#pragma once

// The base of every dialog that edits one database record. The caller puts
// the dataset into insert or edit on the row to edit, binds it (SetDataSet)
// and shows the editor modally; the editor's controls are bound to the
// dataset through Binder.
//
// Saving (btnOk "Запис", or Ctrl+Enter anywhere) writes what was typed,
// validates, posts the form's other datasets that are in edit and then the
// record, all in one unit of work: when any post fails, nothing of the save
// is stored, the error is shown and the editor stays open with every typed
// value. Closing with unsaved changes asks "Отказвате ли се от направените
// промени?" first.

#include "framework/forms/yesno.h"
#include "framework/lists/field_binder.h"

#include <QPointer>
#include <QStringList>

class QLabel;
class QTimer;

// The balloon an editor shows at a control for an empty required field.
class TBalloonTip : public QWidget
{
    Q_OBJECT
public:
    TBalloonTip(QWidget *Control, const QString &Title, const QString &Text);
    QString Title() const { return FTitle; }
    QString Text() const { return FText; }
    QWidget *Control() const { return FControl; }
    void ShowAt();

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;

private:
    QString FTitle, FText;
    QPointer<QWidget> FControl;
};

class TfrmBaseDBEditForm : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmBaseDBEditForm(QWidget *owner = nullptr);
    ~TfrmBaseDBEditForm() override;

    // The edited dataset (the data source).
    void SetDataSet(TDataSet *DataSet);
    TDataSet *DataSet() const { return FDataSet; }
    TFieldBinder *Binder = nullptr;

    // Datasets posted with the record besides the datasets the form owns
    // (its QObject children).
    void AddDetailDataSet(TDataSet *DataSet);
    QList<TDataSet *> DetailDataSets() const;

    // --- Virtual operations ---
    virtual bool Validate() { return true; }
    // Posts the form's other datasets that are in edit or insert.
    virtual bool PostDetails();
    virtual bool CanCloseEditor() { return true; }
    virtual int RecordCount() const;
    virtual bool MayDisable(QWidget *Control) { return true; }
    virtual bool MayDescend(QWidget *Container) { return true; }

    // --- Interfaces ---
    // True when the field holds a value. Otherwise shows Message (or
    // "Полето "%s" трябва да бъдe попълнено!" with the field's display name)
    // at Control (the field's bound control when null) and focuses it.
    bool CheckRequired(TField &Field, const QString &Message = QString(), QWidget *Control = nullptr);
    bool CheckRequired(const QString &FieldName, const QString &Message = QString(), QWidget *Control = nullptr);
    void SetControlsEnabled(QWidget *Container, bool Enable);
    // The balloon shown last by CheckRequired (null when none or gone).
    TBalloonTip *Balloon() const { return FBalloon; }

    // The save of btnOk; answers whether the record was saved (the editor
    // then closes with OK).
    bool Save();
    // Unsaved changes: the record or a detail in edit with modifications, or
    // typed text not yet written.
    bool HasUnsavedChanges() const;

    bool EnterMovesFocus(QWidget *focused) const override;

protected:
    void btnOkClick() override;
    bool CloseQuery(int Result) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    QPointer<TDataSet> FDataSet;
    QList<QPointer<TDataSet>> FDetails;
    QPointer<TBalloonTip> FBalloon;
    bool FSaving = false;
};
