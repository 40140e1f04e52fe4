#include "masterdata/douanes_form.h"

#include "db/db_value.h"
#include "framework/forms/application.h"
#include "framework/forms/globalvalues.h"
#include "framework/lists/lookup_combo.h"
#include "framework/settings/settings.h"
#include "masterdata/cities_form.h"
#include "masterdata/masterdata_dm.h"
#include "masterdata/reference_lists.h"
#include "masterdata/screen_utils.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using masterdata::Column;

namespace {

bool isNull(const QVariant &v) { return db::isNull(v); }

const QString EmptySelection = QStringLiteral("-EMPTY-");

}  // namespace

// ---------------------------------------------------------------------------
// TfrmDouanes

TfrmDouanes::TfrmDouanes(QWidget *owner, TMasterDataDM &dm) : TIBGridForm(owner), FDm(dm)
{
    setObjectName(QStringLiteral("frmDouanes"));
    setWindowTitle(QStringLiteral("Митници"));
    BaseCaption = QStringLiteral("Митници");
    ListName = QStringLiteral("DOUANES");
    CanPrint = true;
    HasComments = true;
    btnCommentPanel->setToolTip(QStringLiteral("Описание (Показване / Скриване)"));

    auto *comments = static_cast<QVBoxLayout *>(pnlComments->layout());
    lblComments = new QLabel(QStringLiteral(" Описание"), pnlComments);
    lblComments->setObjectName(QStringLiteral("lblComments"));
    mmoComments = new QPlainTextEdit(pnlComments);
    mmoComments->setObjectName(QStringLiteral("mmoComments"));
    mmoComments->setReadOnly(true);
    comments->addWidget(lblComments);
    comments->addWidget(mmoComments, 1);
    pnlComments->setMinimumHeight(70);
    CommentSplitter->setSizes({380, 100});

    SetDataSet(&dm.qDouanes);
    masterdata::SetColumns(Grid, {Column(QStringLiteral("CTRY_NAME"), QString(), true),
                                  Column(QStringLiteral("CTY_PCODE"), QString(), true),
                                  Column(QStringLiteral("CTY_NAME"), QString(), true)});
    Grid->MultiSortMarking = true;
    Grid->SortLocal = false;
    ServerSort = true;
    SetSortFields({QStringLiteral("CTRY_NAME"), QStringLiteral("CTY_PCODE"), QStringLiteral("CTY_NAME")},
                  {QStringLiteral("c.NAME"), QStringLiteral("ct.post_code"), QStringLiteral("ct.name")});
    btnCommentPanel->setChecked(true);
    RelayoutToolbar();

    for (auto signal : {&TDataSet::rowChanged, &TDataSet::refreshed, &TDataSet::opened, &TDataSet::closed})
        connect(&dm.qDouanes, signal, this, [this] { ShowComments(); });
    connect(&dm.qDouanes, &TDataSet::fieldChanged, this, [this] { ShowComments(); });
    connect(&dm.qDouanes, &TDataSet::rowUpdated, this, [this] { ShowComments(); });
    ShowComments();
}

void TfrmDouanes::LoadPlacement()
{
    // The description is shown unless the user hid it.
    const bool stored = HasSettings() && !Settings()->ReadString(QStringLiteral("ShowCommentPanel"), QString()).isEmpty();
    TIBGridForm::LoadPlacement();
    if (!stored)
        btnCommentPanel->setChecked(true);
}

void TfrmDouanes::ShowComments()
{
    TDataSet &q = FDm.qDouanes;
    const QString text = q.Active() && !q.IsEmpty() ? q.FieldByName(QStringLiteral("DOUANE_INFO")).AsString() : QString();
    if (mmoComments->toPlainText() != text)
        mmoComments->setPlainText(text);
}

int TfrmDouanes::ExecEditor(TfrmEditDouane *editor) { return editor->exec(); }

void TfrmDouanes::OpenEditor(const QString &caption)
{
    std::unique_ptr<TfrmEditDouane> editor(CreateChildForm<TfrmEditDouane>(FDm));
    editor->setWindowTitle(caption);
    editor->SetDataSet(&FDm.qDouanes);
    ExecEditor(editor.get());
    if (FDm.qDouanes.IsEditing())
        FDm.qDouanes.Cancel();
    ShowComments();
}

void TfrmDouanes::actnInsertExecute()
{
    FDm.qDouanes.Append();
    OpenEditor(QStringLiteral("Митница [добавяне]"));
}

void TfrmDouanes::actnEditExecute()
{
    if (!FDm.qDouanes.Active() || FDm.qDouanes.IsEmpty())
        return;
    FDm.qDouanes.Edit();
    OpenEditor(QStringLiteral("Митница [редакция]"));
}

// ---------------------------------------------------------------------------
// TfrmEditDouane

TfrmEditDouane::TfrmEditDouane(QWidget *owner, TMasterDataDM &dm) : TfrmBaseDBEditForm(owner), FDm(dm)
{
    setObjectName(QStringLiteral("frmEditDouane"));
    setWindowTitle(QStringLiteral("Митница"));
    SetupDouaneCitiesDataSet(dm, qCities, [this] {
        return DataSet() ? DataSet()->FieldValue(QStringLiteral("COUNTRY_ID")) : QVariant();
    });

    auto *grid = new QGridLayout(ClientArea());
    grid->setContentsMargins(10, 10, 10, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);

    auto makeButton = [this](const char *name) {
        auto *b = new QToolButton(ClientArea());
        b->setObjectName(QLatin1String(name));
        b->setText(QStringLiteral("..."));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };

    auto *lblCountry = new QLabel(QStringLiteral("Държава"), ClientArea());
    cbCountry = new TLookupComboBox(ClientArea());
    cbCountry->setObjectName(QStringLiteral("cbCountry"));
    cbCountry->SetListFields(QStringLiteral("NAME"));
    cbCountry->SetListSource(&dm.qCountries1);
    cbCountry->AutoDropDown = true;
    btnCountries = makeButton("btnCountries");
    btnCountries->setToolTip(QStringLiteral("Картотека държави"));
    lblCountry->setBuddy(cbCountry);

    auto *lblCity = new QLabel(QStringLiteral("Град"), ClientArea());
    cbCity = new TLookupComboBox(ClientArea());
    cbCity->setObjectName(QStringLiteral("cbCity"));
    cbCity->SetListFields(QStringLiteral("NAME;POST_CODE"));
    cbCity->SetListSource(&qCities);
    cbCity->TextAllowed = true;
    cbCity->AutoDropDown = true;
    btnCities = makeButton("btnCities");
    btnCities->setToolTip(QStringLiteral("Картотека градове"));
    lblCity->setBuddy(cbCity);

    auto *lblInfo = new QLabel(QStringLiteral("Описание на митницата "), ClientArea());
    mmoInfo = new QPlainTextEdit(ClientArea());
    mmoInfo->setObjectName(QStringLiteral("mmoInfo"));
    lblInfo->setBuddy(mmoInfo);

    grid->addWidget(lblCountry, 0, 0);
    grid->addWidget(cbCountry, 0, 1);
    grid->addWidget(btnCountries, 0, 2);
    grid->addWidget(lblCity, 1, 0);
    grid->addWidget(cbCity, 1, 1);
    grid->addWidget(btnCities, 1, 2);
    grid->addWidget(lblInfo, 2, 0, 1, 3);
    grid->addWidget(mmoInfo, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    resize(460, 320);

    Binder->BindLookup(cbCountry, QStringLiteral("COUNTRY_ID"));
    Binder->BindLookup(cbCity, QStringLiteral("CITY_ID"));
    Binder->BindMemo(mmoInfo, QStringLiteral("DOUANE_INFO"));

    connect(cbCity, &TLookupComboBox::editingFinished, this, [this] { CityLeft(); });
    connect(cbCity, &TLookupComboBox::keyChanged, this, [this] { UpdateCityColor(); });
    connect(cbCity, &TLookupComboBox::textEdited, this, [this] { UpdateCityColor(); });
    connect(btnCountries, &QToolButton::clicked, this, [this] {
        try {
            actnCountriesExecute();
        } catch (...) {
            HandleException(std::current_exception());
        }
    });
    connect(btnCities, &QToolButton::clicked, this, [this] {
        try {
            actnCitiesExecute();
        } catch (...) {
            HandleException(std::current_exception());
        }
    });
}

TfrmEditDouane::~TfrmEditDouane() { disconnect(FFieldConnection); }

void TfrmEditDouane::FirstShow()
{
    TfrmBaseDBEditForm::FirstShow();
    TDataSet *ds = DataSet();
    if (ds) {
        FFieldConnection = connect(ds, &TDataSet::fieldChanged, this, [this](TField *field) {
            if (!field || field->FieldName() == QLatin1String("COUNTRY_ID"))
                CountryChanged();
            else if (field->FieldName() == QLatin1String("CITY_ID"))
                UpdateCityColor();
        });
        // A new office takes its key now; it is written when the office is saved.
        if (ds->FieldByName(QStringLiteral("ID")).IsNull())
            FNewKey = FDm.GetCounterValue(14);
    }
    CountryChanged();
}

void TfrmEditDouane::CountryChanged()
{
    const QVariant country = DataSet() ? DataSet()->FieldValue(QStringLiteral("COUNTRY_ID")) : QVariant();
    btnCities->setEnabled(!isNull(country));
    if (isNull(country))
        qCities.Close();
    else
        FDm.SetParamAndReopen(qCities, QStringLiteral("COUNTRY"), country, QStringLiteral("ID"));
    // The box shows the office's city again over the new list.
    if (DataSet())
        cbCity->SetKeyValue(DataSet()->FieldValue(QStringLiteral("CITY_ID")));
    UpdateCityColor();
}

bool TfrmEditDouane::CityIsValid() const
{
    const QVariant key = cbCity->KeyValue();
    return !isNull(key) && qCities.Active() && const_cast<TDataSet &>(qCities).FindRow(QStringLiteral("ID"), {key}) >= 0;
}

void TfrmEditDouane::UpdateCityColor()
{
    QPalette p = cbCity->LineEdit()->palette();
    p.setColor(QPalette::Base, CityIsValid() ? palette().color(QPalette::Base) : InvalidCityColor());
    cbCity->LineEdit()->setPalette(p);
}

void TfrmEditDouane::SetField(const QString &field, const QVariant &value)
{
    TDataSet *ds = DataSet();
    if (!ds)
        return;
    if (!ds->IsEditing())
        ds->Edit();
    ds->FieldByName(field).SetValue(value);
}

void TfrmEditDouane::CityLeft()
{
    const QString typed = cbCity->Text().trimmed();
    if (FInCityLeft || typed.isEmpty() || !isNull(cbCity->KeyValue()) || !DataSet())
        return;
    FInCityLeft = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{FInCityLeft};
    try {
        const QVariant country = DataSet()->FieldValue(QStringLiteral("COUNTRY_ID"));
        if (isNull(country)) {
            CyrMessageDlg(ChooseCountryText, mtInformation, {mbOK});
            return;
        }
        if (CyrMessageDlg(UnknownCityQuestion(), mtConfirmation, {mbYes, mbNo}) != mrYes)
            return;
        const int id = FDm.AddCity(country.toInt(), cbCity->Text(), QString(), QString());
        FDm.RefreshDataSet(qCities, QStringLiteral("ID"));
        SetField(QStringLiteral("CITY_ID"), id);
        cbCity->SetKeyValue(id);
        UpdateCityColor();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

bool TfrmEditDouane::ExecPicker(TfrmBaseGridForm *list) { return list->exec() == mrOk; }

void TfrmEditDouane::actnCountriesExecute()
{
    if (!DataSet())
        return;
    PutGlobalValue(QStringLiteral("COUNTRIES::RETURN_SELECTION"), QStringLiteral("1"));
    PutGlobalValue(QStringLiteral("COUNTRIES::SHOWCMD"), QStringLiteral("POS"));
    PutGlobalValue(QStringLiteral("COUNTRIES::KEY"), DataSet()->FieldValue(QStringLiteral("COUNTRY_ID")));
    std::unique_ptr<TIBGridForm> list(CreateCountriesList(this, FDm, QStringLiteral("Избор на държава")));
    list->ShowPick = true;
    list->RelayoutToolbar();
    const bool ok = ExecPicker(list.get());
    const QVariant picked = TakeGlobalValue(QStringLiteral("COUNTRIES::SELECTION"), EmptySelection);
    DropGlobalValues(QStringLiteral("COUNTRIES"));
    if (ok && !(picked.typeId() == QMetaType::QString && picked.toString() == EmptySelection))
        SetField(QStringLiteral("COUNTRY_ID"), picked);
}

void TfrmEditDouane::actnCitiesExecute()
{
    if (!DataSet())
        return;
    const QVariant country = DataSet()->FieldValue(QStringLiteral("COUNTRY_ID"));
    if (isNull(country)) {
        CyrMessageDlg(ChooseCountryText, mtInformation, {mbOK});
        return;
    }
    PutGlobalValue(QStringLiteral("CITIES::RETURN_SELECTION"), QStringLiteral("1"));
    PutGlobalValue(QStringLiteral("CITIES::SHOWCMD"), QStringLiteral("POS"));
    PutGlobalValue(QStringLiteral("CITIES::KEY"), DataSet()->FieldValue(QStringLiteral("CITY_ID")));
    std::unique_ptr<TfrmCities> list(CreateChildForm<TfrmCities>(FDm));
    list->SetDataSet(&qCities);
    list->setWindowTitle(QStringLiteral("Картотека градове"));
    list->BaseCaption = list->windowTitle();
    list->SetCountry(country);
    list->ShowPick = true;
    list->RelayoutToolbar();
    const bool ok = ExecPicker(list.get());
    const QVariant picked = TakeGlobalValue(QStringLiteral("CITIES::SELECTION"), EmptySelection);
    DropGlobalValues(QStringLiteral("CITIES"));
    list.reset();
    if (ok && !(picked.typeId() == QMetaType::QString && picked.toString() == EmptySelection)) {
        SetField(QStringLiteral("CITY_ID"), picked);
        cbCity->SetKeyValue(picked);
    }
    UpdateCityColor();
}

bool TfrmEditDouane::Validate()
{
    if (!CheckRequired(QStringLiteral("COUNTRY_ID"), QString(), cbCountry))
        return false;
    if (!CheckRequired(QStringLiteral("CITY_ID"), QString(), cbCity))
        return false;
    TField &key = DataSet()->FieldByName(QStringLiteral("ID"));
    if (key.IsNull()) {
        if (FNewKey == 0)
            FNewKey = FDm.GetCounterValue(14);
        key.SetAsInteger(FNewKey);
    }
    return true;
}

void TfrmEditDouane::FormNotify(QObject *sender, int action, int kind)
{
    TfrmBaseDBEditForm::FormNotify(sender, action, kind);
    // A city added elsewhere appears in the office's city list.
    if (action == naPosted && kind == nkCities && qCities.Active()) {
        try {
            FDm.RefreshDataSet(qCities, QStringLiteral("ID"));
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}
