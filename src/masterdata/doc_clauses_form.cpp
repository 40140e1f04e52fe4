#include "masterdata/doc_clauses_form.h"

#include "framework/forms/application.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/refdata_rules.h"
#include "masterdata/screen_utils.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <memory>

using masterdata::Column;

// ---------------------------------------------------------------------------
// TfrmDocClauses

TfrmDocClauses::TfrmDocClauses(QWidget *owner, TMasterDataDM &dm) : TIBGridForm(owner), FDm(dm)
{
    setObjectName(QStringLiteral("frmDocClauses"));
    setWindowTitle(QStringLiteral("Клаузи за документи"));
    BaseCaption = windowTitle();
    ListName = QStringLiteral("CLAUSES");
    CanFind = false;
    CanFilter = false;
    HasLists = false;
    CanPrint = false;
    Grid->SetRowSelect(true);
    Grid->SetReadOnly(true);

    SetupClausesDataSet(dm, qClauses);

    auto *row = new QHBoxLayout(FiltersPanel);
    row->setContentsMargins(6, 3, 6, 3);
    lblDocument = new QLabel(QStringLiteral("Документ:"), FiltersPanel);
    cbDocument = new QComboBox(FiltersPanel);
    cbDocument->setObjectName(QStringLiteral("cbDocument"));
    for (const TClauseDocument &d : ClauseDocuments())
        cbDocument->addItem(d.Caption, d.Key);
    cbDocument->setMinimumWidth(300);
    lblDocument->setBuddy(cbDocument);
    row->addWidget(lblDocument);
    row->addWidget(cbDocument);
    row->addStretch(1);
    FiltersPanel->show();

    SetDataSet(&qClauses);
    TGridColumn major = Column(QStringLiteral("MAJOR_NUM"));
    major.Width = 40;
    TGridColumn minor = Column(QStringLiteral("MINOR_NUM"));
    minor.Width = 40;
    TGridColumn title = Column(QStringLiteral("ITEM_TITLE"));
    title.Width = 200;
    masterdata::SetColumns(Grid, {major, minor, title, Column(QStringLiteral("ITEM_TEXT"))});
    RelayoutToolbar();

    SelectDocument(FirstClauseDocument);
    connect(cbDocument, &QComboBox::currentIndexChanged, this, [this] {
        try {
            SelectDocument(DocumentKey());
        } catch (...) {
            HandleException(std::current_exception());
        }
        UpdateActions();
    });
}

TfrmDocClauses::~TfrmDocClauses()
{
    FinishPlacement();
    SetDataSet(nullptr);
}

int TfrmDocClauses::DocumentKey() const { return cbDocument->currentData().toInt(); }

void TfrmDocClauses::SelectDocument(int key)
{
    const TClauseDocument *document = ClauseDocumentByKey(key);
    if (!document)
        return;
    const int index = cbDocument->findData(key);
    if (index != cbDocument->currentIndex()) {
        const QSignalBlocker block(cbDocument);
        cbDocument->setCurrentIndex(index);
    }
    SelectClauseDocument(FDm, qClauses, *document);
}

int TfrmDocClauses::ExecEditor(TfrmEditDocClause *editor) { return editor->exec(); }

void TfrmDocClauses::OpenEditor(const QString &caption)
{
    std::unique_ptr<TfrmEditDocClause> editor(CreateChildForm<TfrmEditDocClause>());
    editor->setWindowTitle(caption);
    editor->SetDataSet(&qClauses);
    ExecEditor(editor.get());
    editor.reset();
    if (qClauses.IsEditing())
        qClauses.Cancel();
    ReopenKeepPosition();
}

void TfrmDocClauses::actnInsertExecute()
{
    AppendClause(qClauses);
    OpenEditor(QStringLiteral("Клауза [добавяне]"));
}

void TfrmDocClauses::actnEditExecute()
{
    if (!qClauses.Active() || qClauses.IsEmpty())
        return;
    qClauses.Edit();
    OpenEditor(QStringLiteral("Клауза [редакция]"));
}

// ---------------------------------------------------------------------------
// TfrmEditDocClause

TfrmEditDocClause::TfrmEditDocClause(QWidget *owner) : TfrmBaseDBEditForm(owner)
{
    setObjectName(QStringLiteral("frmEditDocClause"));
    setWindowTitle(QStringLiteral("Редакция на клауза"));

    auto *grid = new QGridLayout(ClientArea());
    grid->setContentsMargins(10, 10, 10, 4);
    auto *lblPoint = new QLabel(QStringLiteral("Точка:"), ClientArea());
    eMajor = new QLineEdit(ClientArea());
    eMajor->setObjectName(QStringLiteral("eMajor"));
    eMajor->setValidator(new QIntValidator(0, 99999, eMajor));
    eMajor->setMaximumWidth(60);
    auto *lblDot = new QLabel(QStringLiteral("."), ClientArea());
    eMinor = new QLineEdit(ClientArea());
    eMinor->setObjectName(QStringLiteral("eMinor"));
    eMinor->setValidator(new QIntValidator(0, 99999, eMinor));
    eMinor->setMaximumWidth(60);
    auto *point = new QHBoxLayout;
    point->addWidget(eMajor);
    point->addWidget(lblDot);
    point->addWidget(eMinor);
    point->addStretch(1);
    lblPoint->setBuddy(eMajor);

    auto *lblTitle = new QLabel(QStringLiteral("Заглавие:"), ClientArea());
    eTitle = new QLineEdit(ClientArea());
    eTitle->setObjectName(QStringLiteral("eTitle"));
    lblTitle->setBuddy(eTitle);
    auto *lblText = new QLabel(QStringLiteral("Текст:"), ClientArea());
    mmoText = new QPlainTextEdit(ClientArea());
    mmoText->setObjectName(QStringLiteral("mmoText"));
    lblText->setBuddy(mmoText);

    grid->addWidget(lblPoint, 0, 0);
    grid->addLayout(point, 0, 1);
    grid->addWidget(lblTitle, 1, 0);
    grid->addWidget(eTitle, 1, 1);
    grid->addWidget(lblText, 2, 0, Qt::AlignTop);
    grid->addWidget(mmoText, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    resize(560, 380);

    Binder->BindEdit(eMajor, QStringLiteral("MAJOR_NUM"));
    Binder->BindEdit(eMinor, QStringLiteral("MINOR_NUM"));
    Binder->BindEdit(eTitle, QStringLiteral("ITEM_TITLE"));
    Binder->BindMemo(mmoText, QStringLiteral("ITEM_TEXT"));
}
