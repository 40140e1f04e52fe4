#pragma once

// The dialog for a typed city: postal code, Bulgarian name and English name.
// The caller pre-fills any of the three, shows it modally and on OK reads
// the texts (they are used as typed). "Запис" is enabled only while all
// three hold text; an empty edit is tinted pale red.

#include "framework/forms/yesno.h"

#include <QColor>

class QAction;
class QLineEdit;

class TfrmInsertCity : public TfrmYesNo
{
    Q_OBJECT
public:
    explicit TfrmInsertCity(QWidget *owner = nullptr);

    QLineEdit *eCode = nullptr;     // "Код"
    QLineEdit *eName = nullptr;     // "Град"
    QLineEdit *eCityName = nullptr; // "City Name"
    QAction *actnSave = nullptr;    // "Запис", on btnOk

    void SetTexts(const QString &code, const QString &name, const QString &cityName);

    // The tint of an empty edit: the window colour blended 10 % towards red.
    QColor EmptyTint() const { return FEmptyTint; }
    // Enables "Запис" and tints the edits (runs whenever an edit changes).
    void UpdateActions();

protected:
    void FirstShow() override;
    void AfterShow() override;
    void btnOkClick() override;

private:
    QColor FWindowColor;
    QColor FEmptyTint;
};
