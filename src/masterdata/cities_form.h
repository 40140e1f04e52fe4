#pragma once
// "Градове": the cities of one country, chosen in the filter panel. New and
// Edit go through the city dialog and the data module (AddCity,
// UpdateCity); the grid itself is not edited. As a picker ("Картотека
// градове") another screen binds the list to its own city dataset and sets
// the country.

#include "framework/lists/list_form.h"

#include <QPointer>

class QLabel;
class TfrmInsertCity;
class TLookupComboBox;
class TMasterDataDM;

class TfrmCities : public TIBGridForm
{
    Q_OBJECT
public:
    // Bound to the data module's city list of one country (qCities1).
    TfrmCities(QWidget *owner, TMasterDataDM &dm);
    ~TfrmCities() override;

    QLabel *lblCountry = nullptr;           // "Държава"
    TLookupComboBox *cbCountry = nullptr;  // over the data module's countries

    // The chosen country (NULL: none).
    QVariant Country() const;
    // Chooses the country and re-reads the list for it.
    void SetCountry(const QVariant &countryId);

    // New: the city dialog, then AddCity with the chosen country; refused
    // with a warning while no country is chosen.
    void actnInsertExecute() override;
    // Edit: the city dialog filled from the row, then UpdateCity.
    void actnEditExecute() override;
    // Every re-read first gives the list the chosen country.
    void ReopenKeepPosition() override;

    // Whether the list's own before-post rule is on its dataset now.
    bool BeforePostInstalled() const { return FRuleOn != nullptr; }

protected:
    // Shows the city dialog modally; true on OK (tests answer it).
    virtual bool ExecCityDialog(TfrmInsertCity *dialog);

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void CountryChosen();
    void InstallBeforePost();
    void RemoveBeforePost();

    TMasterDataDM &FDm;
    QPointer<TDataSet> FRuleOn;  // the dataset the rule was installed on
};
