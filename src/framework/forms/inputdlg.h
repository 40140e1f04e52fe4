#pragma once

// The one-line input dialog for a text or a whole number: a prompt, an edit
// and OK / Cancel, centred over the owner window (or the desktop's work
// area without one). OK is enabled only while the edit holds text and, for
// a number, the text is a whole number; it cannot answer an empty text.

#include "framework/forms/modalresult.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TInputDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxLength = 4000;

    TInputDialog(QWidget *owner, const QString &caption, const QString &prompt, bool numberMode);

    QLabel *Prompt = nullptr;
    QLineEdit *Edit = nullptr;
    QPushButton *btnOk = nullptr;     // "OK", default
    QPushButton *btnCancel = nullptr; // "Cancel"

    bool NumberMode() const { return FNumberMode; }
    QString Text() const; // at most MaxLength characters
    // The whole number typed; only meaningful while InputValid().
    int Number() const;
    bool InputValid() const;

public slots:
    void reject() override; // Cancel, Esc and the close box: mrCancel

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UpdateOk();

    bool FNumberMode;
    bool FPlaced = false;
};

// Ask for a text. On OK text takes the typed text and the answer is true; on
// Cancel or close text stays as it was and the answer is false.
bool InputText(QWidget *owner, const QString &caption, const QString &prompt, QString &text);
// Ask for a whole number (digits only), starting from number.
bool InputNumber(QWidget *owner, const QString &caption, const QString &prompt, int &number);
