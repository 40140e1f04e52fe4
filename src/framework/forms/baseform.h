#pragma once

// The base of every window of the program.
//
// A form remembers its position, size and maximized state in its settings
// node ("posLeft", "posTop", "sizeWidth", "sizeHeight", "Maximized"); Enter
// moves to the next field as Tab does; it opens child forms that it owns and
// that keep their settings below its own node; it broadcasts change notices
// to every open form; it shows small self-closing notices in its
// bottom-right corner.
//
// A form is a QDialog, so it shows modeless (show(), or ShowModeless() for a
// window that frees itself when closed) or modal (exec()), and answers the
// modal results of modalresult.h. Its objectName is its component name
// ("frmClients"), which names its settings node.
//
// Descendants take the owner as the first argument of their constructor:
//
//   class TfrmClients : public TfrmBaseForm {
//   public:
//       explicit TfrmClients(QWidget *owner) : TfrmBaseForm(owner)
//       { setObjectName("frmClients"); ... }
//   };
//   auto *list = mainWindow->CreateChildForm<TfrmClients>();
//   list->ShowModeless();

#include "framework/forms/modalresult.h"

#include <QAbstractButton>
#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>

class TNotifyPopup;
class TXMLSettings;

enum class TBorderStyle {
    None,       // no frame, not resizable
    Single,     // fixed size, caption with the border icons
    Sizeable,   // resizable (the default)
    Dialog,     // fixed size dialog frame; its size is never stored
    ToolWindow, // small caption, fixed size
    SizeToolWin // small caption, resizable
};

enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

enum class TFormPosition {
    Default,       // where Qt puts it: centred over the owner window
    ScreenCenter,  // centred on the screen of the owner (or the primary one)
    DesktopCenter  // centred on the available area of that screen
};

// Change notices (NotifyForms): what happened ...
inline constexpr int naPosted = 1;
inline constexpr int naDeleted = 2;
// ... and to which kind of data.
inline constexpr int nkCountries = 0;
inline constexpr int nkCities = 1;
inline constexpr int nkClients = 2;
inline constexpr int nkActivities = 3;
inline constexpr int nkActivityTypes = 4;
inline constexpr int nkCarriers = 5;
inline constexpr int nkContactData = 6;
inline constexpr int nkContactDataTypes = 7;
inline constexpr int nkCarrierTrucks = 8;
inline constexpr int nkTruckTypes = 9;
inline constexpr int nkCarrierDestinations = 10;
inline constexpr int nkCargoOffers = 11;
inline constexpr int nkTransportOffers = 12;
inline constexpr int nkRequests = 13;
inline constexpr int nkDocuments = 15; // requests, confirmations and contracts
inline constexpr int nkConfirmations = 19;

class TfrmBaseForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmBaseForm(QWidget *owner = nullptr);
    ~TfrmBaseForm() override;

    // --- Settings -------------------------------------------------------
    // The form's node in the settings store, made on first use: the node
    // given by CreateChildForm, otherwise a section at the store's own path
    // (the root). Throws std::logic_error when the settings store was never
    // created. Freed with the form.
    TXMLSettings *Settings();
    bool HasSettings() const; // a node was given, or the store exists
    // Gives the form its node (replacing one it had).
    void SetSettings(std::unique_ptr<TXMLSettings> node);
    virtual QString SettingsName() const; // the component name

    bool RestorePosition() const { return FRestorePosition; }
    void SetRestorePosition(bool value) { FRestorePosition = value; }
    bool RestoreSize() const { return FRestoreSize; }
    void SetRestoreSize(bool value) { FRestoreSize = value; }

    // Reads the placement (runs at the first show unless CreateChildForm
    // already ran it). Without any settings store it does nothing.
    virtual void LoadPlacement();
    // Writes the placement. Runs whenever the form is hidden after being
    // shown (closing included), and when it is destroyed while showing.
    virtual void SavePlacement();
    bool PlacementLoaded() const { return FPlacementLoaded; }

    // --- Child forms ----------------------------------------------------
    // Creates a form of class T owned by this one (T's constructor takes the
    // owner first, then args), gives it the node of this form + "\" + its
    // SettingsName() and loads its placement at once.
    template <class T, class... Args>
    T *CreateChildForm(Args &&...args)
    {
        T *child = new T(this, std::forward<Args>(args)...);
        AdoptChildForm(child, nullptr);
        return child;
    }
    // The same with a settings node of the caller's choice.
    template <class T, class... Args>
    T *CreateChildFormIn(std::unique_ptr<TXMLSettings> node, Args &&...args)
    {
        T *child = new T(this, std::forward<Args>(args)...);
        AdoptChildForm(child, std::move(node));
        return child;
    }
    // What CreateChildForm does after construction, for a form made by other
    // means: makes child owned by this form, gives it node (or the default
    // child node when null) and loads its placement.
    void AdoptChildForm(TfrmBaseForm *child, std::unique_ptr<TXMLSettings> node);

    // The forms this one owns directly (the nearest form above each of them
    // is this one), in creation order.
    QList<TfrmBaseForm *> OwnedForms() const;

    // Shows the form modeless; closing it frees it.
    void ShowModeless();
    // Frees the form once control is back in the event loop.
    void ReleaseLater();

    // --- Modal result ---------------------------------------------------
    int ModalResult() const { return result(); }
    // Sets the result; a result other than mrNone closes the form (through
    // CloseQuery, like every close).
    void SetModalResult(int value);

    // --- Change notices -------------------------------------------------
    // Sends FormNotify(this, action, kind) to every form of the ownership
    // tree this form belongs to, each exactly once, never to this form. A
    // broadcast started by a form while its own broadcast runs is ignored.
    void NotifyForms(int action, int kind);
    // The same on behalf of sender (for instance the data module, which
    // sends its notices through the main window): sender is the Sender
    // every form receives and the one form (if it is a form) left out.
    void NotifyFormsFor(QObject *sender, int action, int kind);

    // --- Notices --------------------------------------------------------
    // Creates a pop-up notice owned by this form, sets its text, calls
    // PrepareNotice and shows it in the bottom-right corner of the form.
    // The notice frees itself; the pointer is for immediate use.
    TNotifyPopup *ShowNotice(int kind, const QString &text);

    // --- Window --------------------------------------------------------
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style); // before the first show
    int BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(int icons);          // TBorderIcon flags; before the first show
    TFormPosition Position() const { return FPosition; }
    void SetPosition(TFormPosition position) { FPosition = position; }

    // The button Esc presses (none by default: Esc then does nothing; the
    // close box still closes through reject()).
    QAbstractButton *CancelButton() const { return FCancelButton; }
    void SetCancelButton(QAbstractButton *button) { FCancelButton = button; }

    // Called when the window is minimized, maximized or restored from
    // either (a double click on the caption included).
    std::function<void()> OnMinimize;
    std::function<void()> OnMaximize;
    std::function<void()> OnRestore;

    // Whether Enter in focused (a widget of this form) moves on as Tab.
    // The rule: an edit box (not a multi-line memo), a spin or date edit, a
    // combo box whose list is closed, a check box. Descendants may narrow it.
    virtual bool EnterMovesFocus(QWidget *focused) const;
    static bool IsEnterAsTabControl(QWidget *focused);

public slots:
    void done(int result) override;
    void reject() override; // the close box (and Cancel buttons): mrCancel
    void setVisible(bool visible) override;

protected:
    // Hooks, empty or true in the base.
    // AfterCreate runs once after construction: at once when CreateChildForm
    // made the form, otherwise before the placement is loaded or the form
    // first shows.
    virtual void AfterCreate() {}
    virtual void FirstShow() {}   // once, at the first show, before it is visible
    virtual void AfterShow() {}   // at every show, once the window is visible
    virtual void FormNotify(QObject *sender, int action, int kind) {}
    virtual void PrepareNotice(TNotifyPopup *popup, int kind) {}
    virtual bool CanRestoreNormal() { return true; }
    virtual bool CanRestoreMinimized() { return true; }
    virtual bool CanRestoreMaximized() { return true; }
    // Asked before every close (a button, Esc, the close box, a modal
    // result); false keeps the form open.
    virtual bool CloseQuery(int result) { return true; }

    virtual void SavePosition();
    virtual void LoadPosition();
    virtual void SaveSize();
    virtual void LoadSize();

    // Saves the placement now when the form shows and has not saved it since.
    // A descendant whose SavePlacement does more may call it in its own
    // destructor, while the descendant part still exists.
    void FinishPlacement();

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void EnsureCreated();
    void ApplyWindowFlags();
    void ApplyFixedSize();
    void WatchOwner();
    void OwnerShown(bool shown);
    friend class TOwnerWatcher;
    void PlaceAtFirstShow();
    bool SizeIsStored() const;
    void NotifyTree(TfrmBaseForm *form, QObject *sender, TfrmBaseForm *excluded, int action,
                    int kind);

    std::unique_ptr<TXMLSettings> FSettings;
    bool FRestorePosition = true;
    bool FRestoreSize = true;
    bool FCreated = false;
    bool FPlacementLoaded = false;
    bool FPositionRestored = false;
    bool FFirstShown = false;
    bool FShownSinceSave = false;
    bool FBroadcasting = false;
    bool FHiddenWithOwner = false;
    Qt::WindowStates FStateBeforeOwnerHid;
    TBorderStyle FBorderStyle = TBorderStyle::Sizeable;
    int FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormPosition FPosition = TFormPosition::Default;
    QPointer<QAbstractButton> FCancelButton;
    QPointer<QWidget> FWatchedOwner;
    QObject *FOwnerWatcher = nullptr;
};
