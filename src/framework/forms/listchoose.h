#pragma once

// The dialog for choosing items from a list by their check marks (the
// column chooser of the lists). The caller sets the caption, the options
// and the items, shows it modally and, on OK, reads the check marks and the
// order of the items.
//
//   TdlgListChoose dlg(this);
//   dlg.setWindowTitle("Избор на колони за визуализация");
//   dlg.ShowAllNone(true);
//   for (...) dlg.AddItem(column.title, column.visible, column.index);
//   if (dlg.exec() == mrOk) for (int i = 0; i < dlg.Count(); ++i) ...

#include "framework/forms/modalresult.h"

#include <QDialog>
#include <QVariant>

class QListWidget;
class QPushButton;
class QToolButton;

class TdlgListChoose : public QDialog
{
    Q_OBJECT
public:
    explicit TdlgListChoose(QWidget *parent = nullptr);

    QListWidget *chlbChoose = nullptr;
    QToolButton *btnAll = nullptr;   // hint "Всички"; hidden unless ShowAllNone
    QToolButton *btnNone = nullptr;  // hint "Никой"
    QPushButton *btnOk = nullptr;    // "OK"
    QPushButton *btnCancel = nullptr; // "Отказ"

    // Options, all off unless the caller sets them.
    bool SingleChoice = false;   // at most one item; a double click runs OK
    bool AllowEmpty = false;     // OK with nothing checked
    bool RefuseAll = false;      // OK refused with every item checked
    void SetAllowDrag(bool allow); // items may be dragged to another place in the list
    bool AllowDrag() const { return FAllowDrag; }
    void ShowAllNone(bool show);

    // Items: a text, a check mark and the caller's object beside it.
    int AddItem(const QString &text, bool checked, const QVariant &object = QVariant());
    int Count() const;
    QString ItemText(int index) const;
    QVariant ItemObject(int index) const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    int CheckedCount() const;
    void CheckAll(bool checked); // what "Всички" and "Никой" do

    // OK: refuses with a warning and stays open when the choice breaks an
    // option, otherwise ends with mrOk.
    void TryAccept();

public slots:
    void reject() override; // Cancel, Esc and the close box: mrCancel

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool FAllowDrag = false;
    bool FPlaced = false;
};
