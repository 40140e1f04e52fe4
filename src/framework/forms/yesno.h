#pragma once

// The base of modal dialogs with an OK and a Cancel button: a dialog frame
// (system menu and minimize), centred on its owner, btnOk "OK" (default,
// modal result OK) and btnCancel "Cancel" (Esc, modal result Cancel) at the
// bottom right. Descendants put their controls into ClientArea() and may
// replace the captions; Cancel, Esc and the close box all end in one close
// path (reject(), then CloseQuery like every close).

#include "framework/forms/baseform.h"

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

class TfrmYesNo : public TfrmBaseForm
{
    Q_OBJECT
public:
    explicit TfrmYesNo(QWidget *owner = nullptr);

    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

    // Where a descendant puts its controls (above the buttons).
    QWidget *ClientArea() const { return FClient; }
    // The row of the buttons: a stretch, then btnOk and btnCancel.
    QHBoxLayout *ButtonRow() const { return FButtonRow; }

protected:
    // What the buttons do: OK sets the modal result OK, Cancel closes
    // through reject(). Descendants replace them.
    virtual void btnOkClick();
    virtual void btnCancelClick();

private:
    QWidget *FClient = nullptr;
    QHBoxLayout *FButtonRow = nullptr;
};
