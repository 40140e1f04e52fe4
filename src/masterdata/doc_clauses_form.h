#pragma once
// "Клаузи за документи": the numbered clauses printed on the eight documents
// (request-contract and confirmation, for abroad and for domestic transport,
// in Bulgarian and English), one document at a time, and the editor of one
// clause.

#include "framework/lists/edit_form.h"
#include "framework/lists/list_form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TMasterDataDM;
class TfrmEditDocClause;

class TfrmDocClauses : public TIBGridForm
{
    Q_OBJECT
public:
    TfrmDocClauses(QWidget *owner, TMasterDataDM &dm);
    ~TfrmDocClauses() override;

    // The list's own dataset (SetupClausesDataSet).
    TDataSet qClauses;

    QLabel *lblDocument = nullptr;     // "Документ:"
    QComboBox *cbDocument = nullptr;  // the eight documents

    // Chooses the document by its key (11, 12, 21 ...) and re-reads the list.
    void SelectDocument(int key);
    int DocumentKey() const;

    // New: a clause of the chosen document in the editor "Клауза [добавяне]";
    // Edit: "Клауза [редакция]"; the list is re-read after either.
    void actnInsertExecute() override;
    void actnEditExecute() override;

protected:
    // Shows the editor modally and answers its modal result (tests answer it).
    virtual int ExecEditor(TfrmEditDocClause *editor);

private:
    void OpenEditor(const QString &caption);

    TMasterDataDM &FDm;
};

class TfrmEditDocClause : public TfrmBaseDBEditForm
{
    Q_OBJECT
public:
    explicit TfrmEditDocClause(QWidget *owner);

    QLineEdit *eMajor = nullptr;      // "Точка:" MAJOR_NUM
    QLineEdit *eMinor = nullptr;      // "." MINOR_NUM
    QLineEdit *eTitle = nullptr;      // "Заглавие:" ITEM_TITLE
    QPlainTextEdit *mmoText = nullptr; // "Текст:" ITEM_TEXT
};
