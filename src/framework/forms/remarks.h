#pragma once

// A free text in a memo, above OK and Cancel, centred on the screen. Keeps
// neither position nor size.

#include "framework/forms/yesno.h"

class QPlainTextEdit;

class TfrmRemarks : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmRemarks(QWidget *owner = nullptr);

    QPlainTextEdit *Memo = nullptr; // focused first

    // The memo's lines; breaks of any kind in, CR LF out.
    void SetText(const QString &text);
    QString Text() const;

protected:
    void AfterShow() override;
};

// Edits text in TfrmRemarks under caption. On OK text becomes the memo's
// text (lines joined by CR LF) and the answer is true; on Cancel text stays
// as it was and the answer is false.
bool EditRemarks(const QString &caption, QString &text);
