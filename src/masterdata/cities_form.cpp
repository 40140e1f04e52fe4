#include "masterdata/cities_form.h"

#include "db/db_value.h"
#include "framework/forms/application.h"
#include "framework/forms/insertcity.h"
#include "framework/lists/lookup_combo.h"
#include "framework/text/abort.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/screen_utils.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <memory>

using masterdata::Column;

namespace {

const QString ChooseCountryFirst = QStringLiteral("Изберете държава преди да се опитате да въвеждате град!");

bool isNull(const QVariant &v) { return db::isNull(v); }

}  // namespace

TfrmCities::TfrmCities(QWidget *owner, TMasterDataDM &dm) : TIBGridForm(owner), FDm(dm)
{
    setObjectName(QStringLiteral("frmCities"));
    setWindowTitle(QStringLiteral("Градове"));
    BaseCaption = windowTitle();
    ListName = QStringLiteral("CITIES");
    SaveLayout = false;
    HasLists = false;
    CanFind = false;
    CanFilter = false;
    Grid->Tag = 5;
    Grid->SetRowSelect(true);
    Grid->SetReadOnly(true);

    // The filter panel: the country.
    auto *row = new QHBoxLayout(FiltersPanel);
    row->setContentsMargins(6, 3, 6, 3);
    lblCountry = new QLabel(QStringLiteral("Държава"), FiltersPanel);
    lblCountry->setObjectName(QStringLiteral("lblCountry"));
    cbCountry = new TLookupComboBox(FiltersPanel);
    cbCountry->setObjectName(QStringLiteral("cbCountry"));
    cbCountry->KeyField = QStringLiteral("ID");
    cbCountry->SetListFields(QStringLiteral("CODE;NAME"));
    cbCountry->ListFieldIndex = 1;
    cbCountry->ListWidth = 140;
    cbCountry->AutoDropDown = true;
    cbCountry->SetListSource(&dm.qCountries);
    cbCountry->setMinimumWidth(180);
    lblCountry->setBuddy(cbCountry);
    row->addWidget(lblCountry);
    row->addWidget(cbCountry);
    row->addStretch(1);
    FiltersPanel->show();
    connect(cbCountry, &TLookupComboBox::keyChanged, this, [this] { CountryChosen(); });
    connect(cbCountry, &TLookupComboBox::editingFinished, this, [this] {
        if (!cbCountry->Text().isEmpty())
            CountryChosen();
    });

    SetDataSet(&dm.qCities1);
    masterdata::SetColumns(Grid, {Column(QStringLiteral("POST_CODE"), QString(), true),
                                  Column(QStringLiteral("NAME"), QString(), true),
                                  Column(QStringLiteral("NAME_ENG"))});
    Grid->SortLocal = false;
    ServerSort = true;
    SetSortFields({QStringLiteral("POST_CODE"), QStringLiteral("NAME"), QStringLiteral("NAME_ENG")},
                  {QStringLiteral("POST_CODE"), QStringLiteral("NAME"), QStringLiteral("NAME_ENG")});
    RelayoutToolbar();
}

TfrmCities::~TfrmCities() { RemoveBeforePost(); }

QVariant TfrmCities::Country() const
{
    const QVariant key = cbCountry->KeyValue();
    return isNull(key) ? QVariant() : key;
}

void TfrmCities::SetCountry(const QVariant &countryId)
{
    cbCountry->SetKeyValue(countryId);
    ReopenKeepPosition();
}

void TfrmCities::CountryChosen()
{
    // The box shows the chosen country's own text.
    cbCountry->SetKeyValue(cbCountry->KeyValue());
    TDataSet *ds = DataSet();
    if (!ds)
        return;
    const TParam *p = ds->FindParam(QStringLiteral("COUNTRY"));
    const QVariant current = p ? p->Value : QVariant();
    if (ds->Active() && isNull(current) == isNull(Country()) && (isNull(current) || current.toInt() == Country().toInt()))
        return;
    try {
        ReopenKeepPosition();
    } catch (...) {
        HandleException(std::current_exception());
    }
    UpdateActions();
}

void TfrmCities::ReopenKeepPosition()
{
    if (TDataSet *ds = DataSet()) {
        if (TParam *p = ds->FindParam(QStringLiteral("COUNTRY")))
            p->SetValue(Country());
    }
    TIBGridForm::ReopenKeepPosition();
}

bool TfrmCities::ExecCityDialog(TfrmInsertCity *dialog) { return dialog->exec() == mrOk; }

void TfrmCities::actnInsertExecute()
{
    if (!DataSet())
        return;
    const QVariant country = Country();
    if (isNull(country)) {
        CyrMessageDlg(ChooseCountryFirst, mtWarning, {mbOK});
        return;
    }
    std::unique_ptr<TfrmInsertCity> dialog(CreateChildForm<TfrmInsertCity>());
    if (!ExecCityDialog(dialog.get()))
        return;
    const int id = FDm.AddCity(country.toInt(), dialog->eName->text(), dialog->eCode->text(),
                               dialog->eCityName->text());
    if (PickerMode)
        PostedInPicker = true;
    ReopenKeepPosition();
    LocateKey(id);
}

void TfrmCities::actnEditExecute()
{
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active() || ds->IsEmpty())
        return;
    const QVariant key = ds->FieldValue(QStringLiteral("ID"));
    const QVariant country = ds->FieldValue(QStringLiteral("COUNTRY_ID"));
    std::unique_ptr<TfrmInsertCity> dialog(CreateChildForm<TfrmInsertCity>());
    dialog->SetTexts(ds->FieldByName(QStringLiteral("POST_CODE")).AsString(),
                     ds->FieldByName(QStringLiteral("NAME")).AsString(),
                     ds->FieldByName(QStringLiteral("NAME_ENG")).AsString());
    if (!ExecCityDialog(dialog.get()))
        return;
    FDm.UpdateCity(key.toInt(), country.toInt(), dialog->eCode->text(), dialog->eCityName->text(),
                   dialog->eName->text());
    if (PickerMode)
        PostedInPicker = true;
    ReopenKeepPosition();
    LocateKey(key);
}

void TfrmCities::showEvent(QShowEvent *event)
{
    InstallBeforePost();
    TIBGridForm::showEvent(event);
}

void TfrmCities::hideEvent(QHideEvent *event)
{
    TIBGridForm::hideEvent(event);
    RemoveBeforePost();
}

void TfrmCities::InstallBeforePost()
{
    TDataSet *ds = DataSet();
    if (!ds || ds->BeforePost || FRuleOn)
        return;
    ds->BeforePost = [this](TDataSet &d) {
        try {
            CityListBeforePost(FDm, d, Country());
        } catch (const TRefusal &refusal) {
            masterdata::ShowRefusal(refusal);
            Abort();
        }
    };
    FRuleOn = ds;
}

void TfrmCities::RemoveBeforePost()
{
    // The rule belongs to this window: it leaves the dataset with it.
    if (FRuleOn)
        FRuleOn->BeforePost = nullptr;
    FRuleOn = nullptr;
}
