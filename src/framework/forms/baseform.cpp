#include "framework/forms/baseform.h"

#include "framework/forms/formutils.h"
#include "framework/forms/notifypopup.h"
#include "framework/settings/settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QToolButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QWindowStateChangeEvent>

#include <climits>

namespace {

const QEvent::Type AfterShowEvent = QEvent::Type(QEvent::User + 300);

const QString KeyLeft = QStringLiteral("posLeft");
const QString KeyTop = QStringLiteral("posTop");
const QString KeyWidth = QStringLiteral("sizeWidth");
const QString KeyHeight = QStringLiteral("sizeHeight");
const QString KeyMaximized = QStringLiteral("Maximized");

// A value no placement key ever holds: the key is not stored.
constexpr int NotStored = INT_MIN;

// Enter as Tab, for every form of the application: one filter on the
// application object sees the key before the focused control does.
class TEnterAsTabFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        // A key event travels up the parents of the focused widget; act once.
        if (!widget || widget != QApplication::focusWidget())
            return false;
        auto *form = qobject_cast<TfrmBaseForm *>(widget->window());
        if (!form || !form->EnterMovesFocus(widget))
            return false;
        QCoreApplication::postEvent(form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        QCoreApplication::postEvent(form, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier));
        return true;
    }
};

void InstallEnterAsTab()
{
    static QPointer<QObject> filter;
    QCoreApplication *app = QCoreApplication::instance();
    if (filter || !app)
        return;
    filter = new TEnterAsTabFilter(app);
    app->installEventFilter(filter);
}

bool OnSomeScreen(const QRect &titleArea)
{
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        if (screen->geometry().intersects(titleArea))
            return true;
    return screens.isEmpty();
}

} // namespace

// Follows the owner window: when it is hidden by the program the form hides
// with it and remembers its state; when it shows again the form asks
// CanRestore... for that state.
class TOwnerWatcher : public QObject
{
public:
    explicit TOwnerWatcher(TfrmBaseForm *form) : QObject(form), FForm(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!event->spontaneous()) {
            if (event->type() == QEvent::Hide)
                FForm->OwnerShown(false);
            else if (event->type() == QEvent::Show)
                FForm->OwnerShown(true);
        }
        return false;
    }

private:
    TfrmBaseForm *FForm;
};

TfrmBaseForm::TfrmBaseForm(QWidget *owner) : QDialog(owner)
{
    InstallEnterAsTab();
    ApplyWindowFlags();
    WatchOwner();
}

TfrmBaseForm::~TfrmBaseForm()
{
    FinishPlacement();
    // The owned forms first save their own placement, while they are whole.
    const auto owned = OwnedForms();
    for (TfrmBaseForm *child : owned)
        child->FinishPlacement();
    for (TfrmBaseForm *child : owned)
        delete child;
    FSettings.reset();
    if (FWatchedOwner && FOwnerWatcher)
        FWatchedOwner->removeEventFilter(FOwnerWatcher);
}

// --- Settings ---------------------------------------------------------------

TXMLSettings *TfrmBaseForm::Settings()
{
    if (!FSettings)
        FSettings = AppSettings().OpenSection(QString());
    return FSettings.get();
}

bool TfrmBaseForm::HasSettings() const
{
    return FSettings || AppSettingsExists();
}

void TfrmBaseForm::SetSettings(std::unique_ptr<TXMLSettings> node)
{
    FSettings = std::move(node);
}

QString TfrmBaseForm::SettingsName() const
{
    return objectName();
}

void TfrmBaseForm::LoadPlacement()
{
    EnsureCreated();
    FPlacementLoaded = true;
    if (!HasSettings())
        return;
    // The size the form has of its own, before anything is read.
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
        setAttribute(Qt::WA_Resized, false);
    }
    TXMLSettings *settings = Settings();
    const bool maximizable = (FBorderIcons & biMaximize) &&
                             (FBorderStyle == TBorderStyle::Single || FBorderStyle == TBorderStyle::Sizeable);
    if (settings->ReadBool(KeyMaximized, false) && maximizable && !isMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);
    if (isMaximized())
        return;
    if (FRestoreSize)
        LoadSize();
    if (FRestorePosition)
        LoadPosition();
}

bool TfrmBaseForm::SizeIsStored() const
{
    return !(isMaximized() || FBorderStyle == TBorderStyle::None || FBorderStyle == TBorderStyle::Dialog);
}

void TfrmBaseForm::LoadSize()
{
    if (!SizeIsStored())
        return;
    TXMLSettings *settings = Settings();
    int w = settings->ReadInteger(KeyWidth, NotStored);
    int h = settings->ReadInteger(KeyHeight, NotStored);
    QSize wanted(w == NotStored || w <= 0 ? width() : w, h == NotStored || h <= 0 ? height() : h);
    if (wanted != size())
        resize(wanted);
}

void TfrmBaseForm::LoadPosition()
{
    TXMLSettings *settings = Settings();
    int left = settings->ReadInteger(KeyLeft, NotStored);
    int top = settings->ReadInteger(KeyTop, NotStored);
    if (left != NotStored || top != NotStored) {
        QPoint wanted(left == NotStored ? x() : left, top == NotStored ? y() : top);
        // A position on a screen that is no longer there is not used: the
        // window would open out of reach.
        if (OnSomeScreen(QRect(wanted, QSize(std::max(width(), 40), 24)))) {
            move(wanted);
            FPositionRestored = true;
        }
    }
    if (settings->ReadBool(KeyMaximized, false))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmBaseForm::SavePlacement()
{
    FShownSinceSave = false;
    if (!HasSettings())
        return;
    if (FRestoreSize)
        SaveSize();
    if (FRestorePosition)
        SavePosition();
}

void TfrmBaseForm::SaveSize()
{
    if (!SizeIsStored())
        return;
    TXMLSettings *settings = Settings();
    settings->WriteInteger(KeyWidth, width());
    settings->WriteInteger(KeyHeight, height());
}

void TfrmBaseForm::SavePosition()
{
    TXMLSettings *settings = Settings();
    const bool maximized = isMaximized();
    settings->WriteBool(KeyMaximized, maximized);
    if (!maximized) {
        settings->WriteInteger(KeyLeft, x());
        settings->WriteInteger(KeyTop, y());
    }
}

void TfrmBaseForm::FinishPlacement()
{
    if (FShownSinceSave && FPlacementLoaded)
        SavePlacement();
}

// --- Child forms --------------------------------------------------------------

void TfrmBaseForm::AdoptChildForm(TfrmBaseForm *child, std::unique_ptr<TXMLSettings> node)
{
    if (!child)
        return;
    if (child->parent() != this)
        child->setParent(this, child->windowFlags());
    child->EnsureCreated();
    if (node) {
        child->SetSettings(std::move(node));
    } else if (HasSettings()) {
        QString name = child->SettingsName();
        if (name.isEmpty()) // never the owner's own node
            name = QString::fromLatin1(child->metaObject()->className());
        child->SetSettings(Settings()->OpenSection(name));
    }
    child->LoadPlacement();
}

static void CollectOwned(const QObject *object, QList<TfrmBaseForm *> &into)
{
    for (QObject *child : object->children()) {
        if (auto *form = qobject_cast<TfrmBaseForm *>(child))
            into << form;
        else
            CollectOwned(child, into);
    }
}

QList<TfrmBaseForm *> TfrmBaseForm::OwnedForms() const
{
    QList<TfrmBaseForm *> forms;
    CollectOwned(this, forms);
    return forms;
}

void TfrmBaseForm::ShowModeless()
{
    setAttribute(Qt::WA_DeleteOnClose);
    show();
    raise();
    activateWindow();
}

void TfrmBaseForm::ReleaseLater()
{
    deleteLater();
}

// --- Modal result and closing -------------------------------------------------

void TfrmBaseForm::SetModalResult(int value)
{
    if (value == mrNone)
        setResult(mrNone);
    else
        done(value);
}

void TfrmBaseForm::done(int result)
{
    if (!CloseQuery(result))
        return;
    QDialog::done(result);
}

void TfrmBaseForm::reject()
{
    done(mrCancel);
}

// --- Change notices -----------------------------------------------------------

void TfrmBaseForm::NotifyForms(int action, int kind)
{
    NotifyFormsFor(this, action, kind);
}

void TfrmBaseForm::NotifyFormsFor(QObject *sender, int action, int kind)
{
    if (FBroadcasting)
        return;
    FBroadcasting = true;
    QPointer<TfrmBaseForm> self(this);
    TfrmBaseForm *top = this;
    for (QObject *p = parent(); p; p = p->parent())
        if (auto *form = qobject_cast<TfrmBaseForm *>(p))
            top = form;
    QPointer<TfrmBaseForm> excluded(qobject_cast<TfrmBaseForm *>(sender));
    NotifyTree(top, sender, excluded, action, kind);
    if (excluded) {
        const auto owned = excluded->OwnedForms();
        QList<QPointer<TfrmBaseForm>> guarded(owned.begin(), owned.end());
        for (const auto &child : guarded)
            if (child)
                NotifyTree(child, sender, excluded, action, kind);
    }
    if (self)
        FBroadcasting = false;
}

void TfrmBaseForm::NotifyTree(TfrmBaseForm *form, QObject *sender, TfrmBaseForm *excluded, int action,
                              int kind)
{
    if (!form || form == excluded)
        return;
    QPointer<TfrmBaseForm> guard(form);
    form->FormNotify(sender, action, kind);
    if (!guard)
        return;
    const auto owned = form->OwnedForms();
    QList<QPointer<TfrmBaseForm>> guarded(owned.begin(), owned.end());
    for (const auto &child : guarded)
        if (child)
            NotifyTree(child, sender, excluded, action, kind);
}

// --- Notices ------------------------------------------------------------------

TNotifyPopup *TfrmBaseForm::ShowNotice(int kind, const QString &text)
{
    auto *popup = new TNotifyPopup(this);
    popup->SetText(text);
    PrepareNotice(popup, kind);
    popup->Show();
    return popup;
}

// --- Window -------------------------------------------------------------------

void TfrmBaseForm::SetBorderStyle(TBorderStyle style)
{
    FBorderStyle = style;
    ApplyWindowFlags();
}

void TfrmBaseForm::SetBorderIcons(int icons)
{
    FBorderIcons = icons;
    ApplyWindowFlags();
}

void TfrmBaseForm::ApplyWindowFlags()
{
    Qt::WindowFlags flags;
    const bool system = FBorderIcons & biSystemMenu;
    switch (FBorderStyle) {
    case TBorderStyle::None:
        flags = Qt::Dialog | Qt::FramelessWindowHint;
        break;
    case TBorderStyle::Dialog:
        flags = Qt::Dialog | Qt::WindowTitleHint;
        if (system)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (system && (FBorderIcons & biMinimize))
            flags |= Qt::WindowMinimizeButtonHint;
        break;
    case TBorderStyle::ToolWindow:
    case TBorderStyle::SizeToolWin:
        flags = Qt::Tool | Qt::WindowTitleHint;
        if (system)
            flags |= Qt::WindowCloseButtonHint;
        break;
    case TBorderStyle::Single:
    case TBorderStyle::Sizeable:
        flags = Qt::Window | Qt::WindowTitleHint;
        if (system) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (FBorderIcons & biMinimize)
                flags |= Qt::WindowMinimizeButtonHint;
            if (FBorderIcons & biMaximize)
                flags |= Qt::WindowMaximizeButtonHint;
        }
        break;
    }
    const bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

void TfrmBaseForm::ApplyFixedSize()
{
    switch (FBorderStyle) {
    case TBorderStyle::None:
    case TBorderStyle::Dialog:
    case TBorderStyle::ToolWindow:
        // Sized by its content: a layout keeps the window at its size hint.
        if (layout())
            layout()->setSizeConstraint(QLayout::SetFixedSize);
        else
            setFixedSize(size());
        break;
    case TBorderStyle::Single:
        setFixedSize(size().expandedTo(minimumSizeHint()));
        break;
    case TBorderStyle::Sizeable:
    case TBorderStyle::SizeToolWin:
        break;
    }
}

void TfrmBaseForm::PlaceAtFirstShow()
{
    if (FPositionRestored || isMaximized() || FPosition == TFormPosition::Default)
        return;
    QScreen *screen = nullptr;
    if (QWidget *owner = parentWidget())
        screen = owner->window()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = FPosition == TFormPosition::DesktopCenter ? screen->availableGeometry()
                                                                 : screen->geometry();
    const QSize frame = frameGeometry().size();
    move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

bool TfrmBaseForm::EnterMovesFocus(QWidget *focused) const
{
    return IsEnterAsTabControl(focused);
}

bool TfrmBaseForm::IsEnterAsTabControl(QWidget *focused)
{
    if (!focused)
        return false;
    if (auto *combo = qobject_cast<QComboBox *>(focused))
        return !combo->view()->isVisible();
    if (auto *edit = qobject_cast<QLineEdit *>(focused)) {
        if (auto *combo = qobject_cast<QComboBox *>(edit->parentWidget()))
            return !combo->view()->isVisible();
        return true;
    }
    if (qobject_cast<QAbstractSpinBox *>(focused))
        return true;
    if (qobject_cast<QCheckBox *>(focused))
        return true;
    return false;
}

void TfrmBaseForm::EnsureCreated()
{
    if (FCreated)
        return;
    FCreated = true;
    AfterCreate();
}

void TfrmBaseForm::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        EnsureCreated();
        if (!FPlacementLoaded)
            LoadPlacement();
        if (!FFirstShown) {
            PlaceAtFirstShow();
            ApplyFixedSize();
            // Buttons with a picture get its greyed form for their disabled state.
            ForEachControl(this, [](QWidget *w) {
                auto *button = qobject_cast<QAbstractButton *>(w);
                if (!button)
                    return;
                auto *tool = qobject_cast<QToolButton *>(button);
                if (QAction *action = tool ? tool->defaultAction() : nullptr) {
                    if (!action->icon().isNull())
                        action->setIcon(WithGrayedDisabled(action->icon()));
                } else if (!button->icon().isNull()) {
                    button->setIcon(WithGrayedDisabled(button->icon()));
                }
            });
        }
    }
    QDialog::setVisible(visible);
}

void TfrmBaseForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FShownSinceSave = true;
    if (!FFirstShown) {
        FFirstShown = true;
        FirstShow();
    }
    QCoreApplication::postEvent(this, new QEvent(AfterShowEvent));
}

void TfrmBaseForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (FCancelButton && FCancelButton->isVisible() && FCancelButton->isEnabled())
            FCancelButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmBaseForm::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        FinishPlacement();
    QDialog::hideEvent(event);
}

bool TfrmBaseForm::event(QEvent *event)
{
    if (event->type() == AfterShowEvent) {
        if (isVisible())
            AfterShow();
        return true;
    }
    if (event->type() == QEvent::ParentChange)
        WatchOwner();
    return QDialog::event(event);
}

void TfrmBaseForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const Qt::WindowStates before = change->oldState();
        const Qt::WindowStates now = windowState();
        if ((now & Qt::WindowMinimized) && !(before & Qt::WindowMinimized)) {
            if (OnMinimize)
                OnMinimize();
        } else if ((now & Qt::WindowMaximized) && !(before & Qt::WindowMaximized)) {
            if (OnMaximize)
                OnMaximize();
        } else if ((before & (Qt::WindowMinimized | Qt::WindowMaximized)) &&
                   !(now & (Qt::WindowMinimized | Qt::WindowMaximized))) {
            if (OnRestore)
                OnRestore();
        }
    }
    QDialog::changeEvent(event);
}

void TfrmBaseForm::WatchOwner()
{
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner == FWatchedOwner)
        return;
    if (!FOwnerWatcher)
        FOwnerWatcher = new TOwnerWatcher(this);
    if (FWatchedOwner)
        FWatchedOwner->removeEventFilter(FOwnerWatcher);
    FWatchedOwner = owner;
    if (owner)
        owner->installEventFilter(FOwnerWatcher);
}

void TfrmBaseForm::OwnerShown(bool shown)
{
    if (!shown) {
        // A modal form stays: hiding it would end its modal loop.
        if (isVisible() && !isModal()) {
            FStateBeforeOwnerHid = windowState();
            FHiddenWithOwner = true;
            hide();
        }
        return;
    }
    if (!FHiddenWithOwner)
        return;
    FHiddenWithOwner = false;
    if (FStateBeforeOwnerHid & Qt::WindowMinimized) {
        if (CanRestoreMinimized())
            showMinimized();
    } else if (FStateBeforeOwnerHid & Qt::WindowMaximized) {
        if (CanRestoreMaximized())
            showMaximized();
    } else if (CanRestoreNormal()) {
        show();
    }
}
