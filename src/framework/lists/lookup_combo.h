#pragma once

#include "framework/data/dataset.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

class QFrame;
class QLineEdit;
class QTableView;
class QToolButton;
class TDataSetModel;

// A lookup combo box: a key chosen from a list dataset, shown by the text of
// one of the list's fields. The drop-down list shows the list fields as
// columns (with titles when asked) and may be wider than the box. Typing
// positions the list on the first row that starts with the typed text and
// drops it down when AutoDropDown is set. Leaving the box with a text that
// names a row chooses that row; any other text is kept beside an empty key
// when TextAllowed, otherwise the box goes back to the chosen key's text.
class TLookupComboBox : public QWidget
{
    Q_OBJECT
public:
    explicit TLookupComboBox(QWidget *Parent = nullptr);
    ~TLookupComboBox() override;

    void SetListSource(TDataSet *DataSet);
    TDataSet *ListSource() const { return FList; }
    QString KeyField = QStringLiteral("ID");
    // The fields shown in the list, ";"-separated; the box shows the one at
    // ListFieldIndex.
    void SetListFields(const QString &Fields);
    QString ListFields() const { return FListFields; }
    int ListFieldIndex = 0;
    int ListWidth = 0;          // pixels; 0: the width of the box
    int DropDownRows = 12;
    bool ShowTitles = false;
    bool AutoDropDown = false;
    bool TextAllowed = false;

    QVariant KeyValue() const { return FKey; }
    // Shows the text of the row with this key (the key is kept even when the
    // list has no such row).
    void SetKeyValue(const QVariant &Key);
    QString Text() const;
    void SetText(const QString &Text); // typed text beside an empty key
    void SetReadOnly(bool On);
    bool IsReadOnly() const { return FReadOnly; }

    bool IsDroppedDown() const;
    void DropDown();
    void CloseUp(bool Accept);

    QLineEdit *LineEdit() const { return FEdit; }
    QTableView *ListView() const { return FView; }
    // The text shown for a key: the display field of its row, or empty.
    QString DisplayTextOf(const QVariant &Key) const;
    // The list row (0-based) whose display text starts with Text, ignoring
    // case; -1 when none.
    int FindPrefix(const QString &Text) const;
    int FindExact(const QString &Text) const;

signals:
    // The user chose another key (or emptied the box).
    void keyChanged(const QVariant &Key);
    void textEdited(const QString &Text);
    // The user left the box (after the key was settled).
    void editingFinished();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void TextTyped(const QString &Text);
    void Settle();
    void Choose(int Row);
    QString DisplayField() const;
    QString RowText(int Row) const;
    QVariant RowKey(int Row) const;
    void RebuildColumns();
    void HidePopup();

    QLineEdit *FEdit;
    QToolButton *FButton;
    QFrame *FPopup;
    QTableView *FView;
    TDataSetModel *FModel;
    QPointer<TDataSet> FList;
    QString FListFields;
    QVariant FKey;
    bool FReadOnly = false;
    bool FSettling = false;
};
