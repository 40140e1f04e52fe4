#pragma once

// The Bulgarian message and question dialog that the whole program uses in
// place of the system one.
//
//   if (CyrMessageDlg("Моля, потвърдете изтриване!", mtConfirmation, {mbYes, mbNo}) == mrYes)
//       ...
//
// Every call goes through one replaceable handler (SetMessageDialogHandler):
// the program's handler shows TCyrMessageDialog modally; a test installs its
// own (see TMessageRecorder) to read the texts and answer the questions.

#include "framework/forms/modalresult.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons in the order the dialog shows them.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll };

// A set of buttons: CyrMessageDlg(text, mtWarning, {mbYes, mbCancel}).
class TMsgDlgButtons
{
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons)
    {
        for (TMsgDlgBtn b : buttons)
            FBits |= Bit(b);
    }
    constexpr bool Contains(TMsgDlgBtn button) const { return (FBits & Bit(button)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr TMsgDlgButtons &operator<<(TMsgDlgBtn button)
    {
        FBits |= Bit(button);
        return *this;
    }
    constexpr bool operator==(const TMsgDlgButtons &other) const = default;
    // The buttons of the set in the dialog's order.
    std::vector<TMsgDlgBtn> InOrder() const;

private:
    static constexpr std::uint32_t Bit(TMsgDlgBtn b) { return std::uint32_t(1) << int(b); }
    std::uint32_t FBits = 0;
};

QString MessageCaption(TMsgDlgType type); // "Внимание", "Грешка", ...
QString ButtonCaption(TMsgDlgBtn button); // "Да", "Не", "ОК", ...
QString ButtonName(TMsgDlgBtn button);    // the component name: "Yes", "No", "OK", ...
int ButtonResult(TMsgDlgBtn button);      // mrYes, mrNo, mrOk, ...

// One call of the message dialog, as its handler receives it.
struct MessageRequest
{
    QString Text;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons;  // an empty set is shown as OK
    int HelpContext = 0;
    int X = -1;              // screen position of the dialog; -1 keeps it centred
    int Y = -1;
    QString HelpFile;

    QString Caption() const { return MessageCaption(Type); }
    std::vector<TMsgDlgBtn> ButtonOrder() const; // the buttons shown, in order
    // OK when present, else Yes, else Retry.
    std::optional<TMsgDlgBtn> DefaultButton() const;
    // Esc: Cancel when present, else No, else OK.
    std::optional<TMsgDlgBtn> CancelButton() const;
    // The result of closing the dialog without a button (Esc or the close
    // box): the cancel button's result, mrCancel when there is none.
    int CloseResult() const;
};

using MessageDialogHandler = std::function<int(const MessageRequest &)>;

// Replaces the handler every message goes through and answers the previous
// one. An empty handler restores the program's own (ShowMessageDialog).
MessageDialogHandler SetMessageDialogHandler(MessageDialogHandler handler);

// The program's handler: shows TCyrMessageDialog modally over the active
// window and answers the result of the button pressed. Without a
// QApplication (a program with no windows) the text goes to standard error
// and the answer is the request's CloseResult().
int ShowMessageDialog(const MessageRequest &request);

// Shows the message and answers the modal result of the button pressed.
int CyrMessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
// The same at a given screen position (-1 keeps the centred coordinate).
int CyrMessageDlgPos(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                     int x, int y, const QString &helpFile = QString());

// The dialog window itself: the caption and icon of the type, the text
// wrapped to at most half the screen width, the buttons centred in a row
// under it, sized by the dialog units of the font.
class TCyrMessageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TCyrMessageDialog(const MessageRequest &request, QWidget *parent = nullptr);

    QPushButton *Button(TMsgDlgBtn button) const; // null when not shown
    QLabel *MessageLabel() const { return FMessage; }
    QLabel *IconLabel() const { return FIcon; } // null for mtCustom
    const MessageRequest &Request() const { return FRequest; }

public slots:
    void reject() override; // Esc and the close box: CloseResult()

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Place();

    MessageRequest FRequest;
    QLabel *FIcon = nullptr;
    QLabel *FMessage = nullptr;
    std::map<TMsgDlgBtn, QPushButton *> FButtons;
    bool FPlaced = false;
};
