#pragma once

// The search dialog of the lists: the text to look for (with the history of
// earlier searches) and the fields to look in. The list form fills it and,
// on OK, reads CriteriaText() and CheckedFields(); the search itself is the
// list's.

#include "framework/forms/baseform.h"

#include <QStringList>

class QComboBox;
class QPushButton;
class QToolButton;
class QTreeWidget;

class TfrmSearchAct : public TfrmBaseForm
{
    Q_OBJECT
public:
    explicit TfrmSearchAct(QWidget *owner = nullptr);

    QComboBox *cbCriteria = nullptr; // editable; focused first
    QTreeWidget *lvFields = nullptr; // check boxes; display name, field name
    QToolButton *btnAll = nullptr;
    QToolButton *btnNone = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

    // The history of criteria, the first one selected.
    void SetCriteria(const QStringList &history);
    QString CriteriaText() const;

    void AddField(const QString &displayName, const QString &fieldName, bool checked);
    int FieldCount() const;
    bool FieldChecked(int index) const;
    void SetFieldChecked(int index, bool checked);
    QStringList CheckedFields() const; // the field names, in list order
    void CheckAll(bool checked);

protected:
    void FirstShow() override;
};
