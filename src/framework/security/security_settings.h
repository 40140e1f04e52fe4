#pragma once
// The rights dialog "Настройка на права за достъп": the security mode (shown,
// not changeable), and either the protected zones (zone mode) or the users
// with their rights and the templates (user-based mode). The tree, its ticks
// and their saving are TRightsTree's; the dialog shows them.

#include "framework/data/rights.h"
#include "framework/forms/baseform.h"

#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBaseDM;
class TDataSet;

class TfrmSecuritySettings : public TfrmBaseForm
{
    Q_OBJECT
public:
    // users: the data module's user list (SetupUsersDataSet); without one the
    // dialog makes its own.
    TfrmSecuritySettings(QWidget *owner, TBaseDM &dm, TDataSet *users = nullptr);
    ~TfrmSecuritySettings() override;

    // " Режим на сигурност "
    QGroupBox *gbMode = nullptr;
    QComboBox *cbMode = nullptr;        // disabled
    QPushButton *btnSetMode = nullptr;  // "Установи", disabled
    // " Права в зони " (zone mode only)
    QGroupBox *gbZones = nullptr;
    QLabel *lblZones = nullptr;
    // " Права на потребители " (user-based mode only)
    QGroupBox *gbUsers = nullptr;
    QGroupBox *gbUserList = nullptr;    // " Потребители "
    QTreeWidget *lvUsers = nullptr;     // "Тип", "логин", "Име"
    QPushButton *btnNew = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnDelete = nullptr;
    QLabel *lblTemplates = nullptr;
    QComboBox *cbTemplates = nullptr;   // "Шаблони за права"
    QGroupBox *gbRights = nullptr;      // " Права "
    QLabel *lblRights = nullptr;
    // The tree and its button, in the group of the mode.
    QTreeWidget *tvRights = nullptr;
    QPushButton *btnSave = nullptr;     // "Запис"
    QLabel *lblWarning = nullptr;       // "Промените не са записани!"
    QPushButton *btnExit = nullptr;     // "Изход"

    const TRightsTree &Tree() const { return FTree; }
    // The user chosen in the list; 0 when none.
    int SelectedUserId() const;
    // Selects the user of the list (0: none) and shows his rights.
    void SelectUser(int userId);
    // The user whose rights the tree shows.
    int ShownUserId() const { return FShownUser; }

    // The actions of the buttons and the template list, for the screen and
    // for tests.
    void btnSaveClick();
    void cbTemplatesChoose(int index);
    void btnNewClick();
    void btnEditClick();
    void btnDeleteClick();
    // A click on a node, or the space key on the selected one: toggles a node
    // with a check mark and shows the warning.
    void ToggleNode(QTreeWidgetItem *item);

protected:
    TBaseDM &DataModule() const { return FDM; }
    TDataSet *UserList() const { return FUsers; }
    // Shows the user editor over the user list, whose current row is in
    // insert or edit mode; answers the modal result.
    virtual int ExecUserEditor(const QString &caption);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildTree();
    void LoadTree(int userId);
    void ShowTicks();
    void FillUsers(int selectId);
    void FillTemplates();
    void UpdateButtons();
    // The user of "Запис" and of a template: the selected one, or, after the
    // question answered OK, the current user; false when it was answered Cancel.
    bool TargetUser(const QString &question, int &userId);
    void SaveFor(int userId);

    TBaseDM &FDM;
    TDataSet *FUsers;
    std::unique_ptr<TDataSet> FOwnUsers;
    TRightsTree FTree;
    std::vector<int> FTemplateIds;
    int FShownUser = 0;
    bool FFilling = false;
};
