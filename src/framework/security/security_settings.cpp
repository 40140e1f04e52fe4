#include "framework/security/security_settings.h"

#include "framework/data/basedm.h"
#include "framework/data/dataset.h"
#include "framework/data/users.h"
#include "framework/forms/application.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/security/edit_user.h"
#include "framework/settings/settings.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString SaveForSelfQuestion = QStringLiteral(
    "Направените промени, ще се отразят върху потребителя,\r\nс който сте влезли в програмата!\r\n"
    "Желаете ли да продължите ?");
const QString TemplateForSelfQuestion = QStringLiteral(
    "Не сте избрали потребител от списъка, и ще промените собствените си настройки!\r\nСигурни ли сте?");

constexpr int NodeIndexRole = Qt::UserRole;
constexpr int UserIdRole = Qt::UserRole;

QPushButton *newButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QGroupBox *newGroup(QWidget *parent, const char *name, const QString &title)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    return g;
}

}  // namespace

TfrmSecuritySettings::TfrmSecuritySettings(QWidget *owner, TBaseDM &dm, TDataSet *users)
    : TfrmBaseForm(owner), FDM(dm), FUsers(users)
{
    setObjectName(QStringLiteral("frmSecuritySettings"));
    setWindowTitle(QStringLiteral("Настройка на права за достъп"));
    SetPosition(TFormPosition::ScreenCenter);
    const bool userMode = dm.UserBasedRights;

    auto *layout = new QVBoxLayout(this);

    // The mode, shown and not changeable.
    gbMode = newGroup(this, "gbMode", QStringLiteral(" Режим на сигурност "));
    auto *modeRow = new QHBoxLayout(gbMode);
    cbMode = new QComboBox(gbMode);
    cbMode->setObjectName(QStringLiteral("cbMode"));
    cbMode->addItems({QStringLiteral("Права дефинирани чрез зони"), QStringLiteral("Права дефинирани чрез потребители")});
    cbMode->setCurrentIndex(userMode ? 1 : 0);
    cbMode->setEnabled(false);
    btnSetMode = newButton(gbMode, "btnSetMode", QStringLiteral("Установи"));
    btnSetMode->setEnabled(false);
    modeRow->addWidget(cbMode, 1);
    modeRow->addWidget(btnSetMode);
    layout->addWidget(gbMode);

    // The tree and its button, placed in the group of the mode.
    tvRights = new QTreeWidget(this);
    tvRights->setObjectName(QStringLiteral("tvRights"));
    tvRights->setHeaderHidden(true);
    tvRights->setItemsExpandable(false);
    tvRights->setRootIsDecorated(false);
    tvRights->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvRights->setMinimumSize(360, 460);
    tvRights->installEventFilter(this);
    connect(tvRights, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int) { ToggleNode(item); });
    connect(tvRights, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem *item) { item->setExpanded(true); });
    btnSave = newButton(this, "btnSave", QStringLiteral("Запис"));
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    lblWarning = new QLabel(QStringLiteral("Промените не са записани!"), this);
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    // The warning keeps its room while hidden, so nothing moves when it shows.
    QSizePolicy warningPolicy = lblWarning->sizePolicy();
    warningPolicy.setRetainSizeWhenHidden(true);
    lblWarning->setSizePolicy(warningPolicy);
    lblWarning->hide();

    const auto treeBox = [this](QWidget *group, QLabel *prompt) {
        auto *box = new QVBoxLayout(group);
        auto *row = new QHBoxLayout();
        row->addWidget(prompt, 1);
        row->addWidget(btnSave);
        box->addLayout(row);
        box->addWidget(tvRights, 1);
        box->addWidget(lblWarning);
    };

    gbZones = newGroup(this, "gbZones", QStringLiteral(" Права в зони "));
    lblZones = new QLabel(QStringLiteral("Изберете, защитените с парола зони и натиснете -->"), gbZones);
    lblZones->setObjectName(QStringLiteral("lblZones"));
    gbUsers = newGroup(this, "gbUsers", QStringLiteral(" Права на потребители "));
    gbRights = newGroup(gbUsers, "gbRights", QStringLiteral(" Права "));
    lblRights = new QLabel(QStringLiteral("Изберете правата на потребителя и натиснете -->"), gbRights);
    lblRights->setObjectName(QStringLiteral("lblRights"));

    if (userMode) {
        auto *usersRow = new QHBoxLayout(gbUsers);
        auto *left = new QVBoxLayout();
        gbUserList = newGroup(gbUsers, "gbUserList", QStringLiteral(" Потребители "));
        auto *listBox = new QVBoxLayout(gbUserList);
        lvUsers = new QTreeWidget(gbUserList);
        lvUsers->setObjectName(QStringLiteral("lvUsers"));
        lvUsers->setColumnCount(3);
        lvUsers->setHeaderLabels({QStringLiteral("Тип"), QStringLiteral("логин"), QStringLiteral("Име")});
        lvUsers->setRootIsDecorated(false);
        lvUsers->setSelectionMode(QAbstractItemView::SingleSelection);
        lvUsers->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lvUsers->header()->setStretchLastSection(true);
        lvUsers->setColumnWidth(0, 40);
        lvUsers->setColumnWidth(1, 100);
        lvUsers->setMinimumWidth(320);
        listBox->addWidget(lvUsers, 1);
        auto *buttons = new QHBoxLayout();
        btnNew = newButton(gbUserList, "btnNew", QStringLiteral("Нов"));
        btnEdit = newButton(gbUserList, "btnEdit", QStringLiteral("Редакция"));
        btnDelete = newButton(gbUserList, "btnDelete", QStringLiteral("Изтриване"));
        for (QPushButton *b : {btnNew, btnEdit, btnDelete})
            buttons->addWidget(b);
        buttons->addStretch(1);
        listBox->addLayout(buttons);
        left->addWidget(gbUserList, 1);
        lblTemplates = new QLabel(QStringLiteral("Шаблони за права"), gbUsers);
        lblTemplates->setObjectName(QStringLiteral("lblTemplates"));
        cbTemplates = new QComboBox(gbUsers);
        cbTemplates->setObjectName(QStringLiteral("cbTemplates"));
        lblTemplates->setBuddy(cbTemplates);
        left->addWidget(lblTemplates);
        left->addWidget(cbTemplates);
        usersRow->addLayout(left, 1);
        usersRow->addWidget(gbRights, 1);
        treeBox(gbRights, lblRights);
        layout->addWidget(gbUsers, 1);
        gbZones->hide();

        connect(lvUsers, &QTreeWidget::itemSelectionChanged, this, [this] {
            if (FFilling)
                return;
            UpdateButtons();
            const int id = SelectedUserId();
            LoadTree(id != 0 ? id : FDM.CurrentUserId);
        });
        connect(btnNew, &QPushButton::clicked, this, [this] { btnNewClick(); });
        connect(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
        connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
        connect(cbTemplates, QOverload<int>::of(&QComboBox::activated), this,
                [this](int index) { cbTemplatesChoose(index); });
    } else {
        treeBox(gbZones, lblZones);
        layout->addWidget(gbZones, 1);
        gbUsers->hide();
    }

    auto *bottom = new QHBoxLayout();
    bottom->addStretch(1);
    btnExit = newButton(this, "btnExit", QStringLiteral("Изход"));
    connect(btnExit, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    bottom->addWidget(btnExit);
    layout->addLayout(bottom);

    if (userMode && !FUsers) {
        FOwnUsers = std::make_unique<TDataSet>();
        users::SetupUsersDataSet(*FOwnUsers, FDM.IBTransaction);
        FUsers = FOwnUsers.get();
    }

    BuildTree();
    LoadTree(FDM.CurrentUserId);
    if (userMode) {
        FillUsers(0);
        FillTemplates();
        UpdateButtons();
    }
}

TfrmSecuritySettings::~TfrmSecuritySettings() = default;

// ---------------------------------------------------------------------------
// The tree

void TfrmSecuritySettings::BuildTree()
{
    tvRights->clear();
    FTree.Build(FDM);
    std::vector<QTreeWidgetItem *> items;
    for (int i = 0; i < FTree.Count(); ++i) {
        const TRightsTree::Node &node = FTree.At(i);
        QTreeWidgetItem *item = node.Parent < 0 ? new QTreeWidgetItem(tvRights)
                                                : new QTreeWidgetItem(items[std::size_t(node.Parent)]);
        item->setText(0, node.Text);
        item->setData(0, NodeIndexRole, i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        items.push_back(item);
    }
    tvRights->expandAll();
}

void TfrmSecuritySettings::LoadTree(int userId)
{
    FShownUser = userId;
    FTree.LoadTicks(FDM, userId);
    ShowTicks();
    lblWarning->hide();
}

void TfrmSecuritySettings::ShowTicks()
{
    for (QTreeWidgetItemIterator it(tvRights); *it; ++it) {
        const TRightsTree::Node &node = FTree.At((*it)->data(0, NodeIndexRole).toInt());
        if (node.Checkable)
            (*it)->setCheckState(0, node.Checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TfrmSecuritySettings::ToggleNode(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const int index = item->data(0, NodeIndexRole).toInt();
    if (!FTree.Toggle(index))
        return;
    item->setCheckState(0, FTree.At(index).Checked ? Qt::Checked : Qt::Unchecked);
    lblWarning->show();
}

bool TfrmSecuritySettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tvRights && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        ToggleNode(tvRights->currentItem());
        return true;
    }
    return TfrmBaseForm::eventFilter(watched, event);
}

bool TfrmSecuritySettings::TargetUser(const QString &question, int &userId)
{
    if (!FDM.UserBasedRights) {
        userId = FDM.CurrentUserId;
        return true;
    }
    userId = SelectedUserId();
    if (userId != 0)
        return true;
    if (CyrMessageDlg(question, mtConfirmation, {mbOK, mbCancel}) != mrOk)
        return false;
    userId = FDM.CurrentUserId;
    return true;
}

void TfrmSecuritySettings::SaveFor(int userId)
{
    FTree.Save(FDM, userId);
    FShownUser = userId;
    ShowTicks();
    lblWarning->hide();
}

void TfrmSecuritySettings::btnSaveClick()
{
    try {
        int userId = 0;
        if (!TargetUser(SaveForSelfQuestion, userId))
            return;
        SaveFor(userId);
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TfrmSecuritySettings::cbTemplatesChoose(int index)
{
    if (index < 0 || index >= int(FTemplateIds.size()))
        return;
    try {
        int userId = 0;
        if (!TargetUser(TemplateForSelfQuestion, userId)) {
            cbTemplates->setCurrentIndex(-1);
            return;
        }
        FTree.ApplyTemplate(FDM, FTemplateIds[std::size_t(index)]);
        SaveFor(userId);
    } catch (...) {
        // The tree shows what is stored again.
        LoadTree(FShownUser);
        HandleException(std::current_exception());
    }
}

// ---------------------------------------------------------------------------
// The users

int TfrmSecuritySettings::SelectedUserId() const
{
    if (!lvUsers)
        return 0;
    const QList<QTreeWidgetItem *> selected = lvUsers->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(0, UserIdRole).toInt();
}

void TfrmSecuritySettings::SelectUser(int userId)
{
    if (!lvUsers)
        return;
    QTreeWidgetItem *found = nullptr;
    for (int i = 0; i < lvUsers->topLevelItemCount(); ++i) {
        if (lvUsers->topLevelItem(i)->data(0, UserIdRole).toInt() == userId)
            found = lvUsers->topLevelItem(i);
    }
    if (found) {
        lvUsers->setCurrentItem(found);
        found->setSelected(true);
    } else {
        lvUsers->clearSelection();
        lvUsers->setCurrentItem(nullptr);
    }
}

void TfrmSecuritySettings::FillUsers(int selectId)
{
    FFilling = true;
    lvUsers->clear();
    FDM.RefreshDataSet(*FUsers, QStringLiteral("ID"));
    TField &id = FUsers->FieldByName(QStringLiteral("ID"));
    TField &type = FUsers->FieldByName(QStringLiteral("USER_TYPE"));
    TField &isAdmin = FUsers->FieldByName(QStringLiteral("IS_ADMIN"));
    TField &login = FUsers->FieldByName(QStringLiteral("LOGIN"));
    TField &name = FUsers->FieldByName(QStringLiteral("NAME"));
    for (int row = 0; row < FUsers->RecordCount(); ++row) {
        if (type.ValueAt(row).toInt() == users::UserTypeMaintenance)
            continue;
        auto *item = new QTreeWidgetItem(lvUsers);
        item->setText(0, isAdmin.DisplayTextAt(row));
        item->setText(1, login.DisplayTextAt(row));
        item->setText(2, name.DisplayTextAt(row));
        item->setData(0, UserIdRole, id.ValueAt(row).toInt());
    }
    SelectUser(selectId);
    FFilling = false;
    UpdateButtons();
    const int selected = SelectedUserId();
    LoadTree(selected != 0 ? selected : FDM.CurrentUserId);
}

void TfrmSecuritySettings::FillTemplates()
{
    cbTemplates->clear();
    FTemplateIds.clear();
    TDataSet q;
    q.SetTransaction(&FDM.IBTransaction);
    q.SetSelectSQL(QStringLiteral("select * from UR_TEMPLATES Order by ID"));
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        FTemplateIds.push_back(q.FieldByName(QStringLiteral("ID")).AsInteger());
        cbTemplates->addItem(q.FieldByName(QStringLiteral("NAME")).AsString());
    }
    q.Close();
    cbTemplates->setCurrentIndex(-1);
}

void TfrmSecuritySettings::UpdateButtons()
{
    if (!lvUsers)
        return;
    const bool selected = SelectedUserId() != 0;
    btnEdit->setEnabled(selected);
    btnDelete->setEnabled(selected);
}

void TfrmSecuritySettings::btnNewClick()
{
    const int before = SelectedUserId();
    try {
        FUsers->Append();
        if (ExecUserEditor(QStringLiteral("Потребител [добавяне]")) == mrOk) {
            FillUsers(FUsers->FieldByName(QStringLiteral("ID")).AsInteger());
            return;
        }
        if (FUsers->IsEditing())
            FUsers->Cancel();
    } catch (...) {
        if (FUsers->IsEditing())
            FUsers->Cancel();
        HandleException(std::current_exception());
    }
    SelectUser(before);
}

void TfrmSecuritySettings::btnEditClick()
{
    const int id = SelectedUserId();
    if (id == 0)
        return;
    try {
        if (!FDM.LocateByKey(*FUsers, QStringLiteral("ID"), id))
            return;
        FUsers->Edit();
        if (ExecUserEditor(QStringLiteral("Потребител [редакция]")) == mrOk) {
            FillUsers(id);
            return;
        }
        if (FUsers->IsEditing())
            FUsers->Cancel();
    } catch (...) {
        if (FUsers->IsEditing())
            FUsers->Cancel();
        HandleException(std::current_exception());
    }
}

void TfrmSecuritySettings::btnDeleteClick()
{
    const int id = SelectedUserId();
    if (id == 0)
        return;
    try {
        if (!FDM.LocateByKey(*FUsers, QStringLiteral("ID"), id))
            return;
        if (CyrMessageDlg(QStringLiteral("Моля потвърдете изтриване!"), mtConfirmation, {mbYes, mbNo}) != mrYes)
            return;
        FDM.RunInUnit([this] { FUsers->Delete(); }, {FUsers});
        FillUsers(0);
    } catch (...) {
        HandleException(std::current_exception());
    }
}

int TfrmSecuritySettings::ExecUserEditor(const QString &caption)
{
    TfrmEditUser editor(this, FDM, FUsers);
    AdoptChildForm(&editor, nullptr);
    editor.setWindowTitle(caption);
    return editor.exec();
}
