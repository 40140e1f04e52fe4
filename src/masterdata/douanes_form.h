#pragma once
// "Митници": the customs offices with their country and city, the
// description of the current office in the comment panel, and the editor of
// one office.

#include "framework/lists/edit_form.h"
#include "framework/lists/list_form.h"

#include <QColor>

class QLabel;
class QPlainTextEdit;
class QToolButton;
class TLookupComboBox;
class TMasterDataDM;

class TfrmEditDouane;

class TfrmDouanes : public TIBGridForm
{
    Q_OBJECT
public:
    // Bound to the data module's customs offices (qDouanes).
    TfrmDouanes(QWidget *owner, TMasterDataDM &dm);

    QLabel *lblComments = nullptr;        // " Описание"
    QPlainTextEdit *mmoComments = nullptr; // the office's description, read-only

    // New and Edit: the editor on the list's dataset, captioned
    // "Митница [добавяне]" or "Митница [редакция]".
    void actnInsertExecute() override;
    void actnEditExecute() override;

    void LoadPlacement() override;

protected:
    // Shows the editor modally and answers its modal result (tests answer it).
    virtual int ExecEditor(TfrmEditDouane *editor);

private:
    void OpenEditor(const QString &caption);
    void ShowComments();

    TMasterDataDM &FDm;
};

// The editor of one customs office: its country, its city (a typed city that
// is not known can be added), its description.
class TfrmEditDouane : public TfrmBaseDBEditForm
{
    Q_OBJECT
public:
    TfrmEditDouane(QWidget *owner, TMasterDataDM &dm);
    ~TfrmEditDouane() override;

    // The cities of the office's country (the editor's own list).
    TDataSet qCities;

    TLookupComboBox *cbCountry = nullptr;  // "Държава", over the countries by name
    TLookupComboBox *cbCity = nullptr;     // "Град", over qCities; typed text allowed
    QPlainTextEdit *mmoInfo = nullptr;     // "Описание на митницата "
    QToolButton *btnCountries = nullptr;   // the country list
    QToolButton *btnCities = nullptr;      // the city list "Картотека градове"

    // The colour of the city box while it holds no valid city.
    static QColor InvalidCityColor() { return QColor(255, 224, 224); }
    bool CityIsValid() const;
    // The key the editor took for a new office (0 for an existing one).
    int NewKey() const { return FNewKey; }

    // The country must be set, then the city; a new office gets its key.
    bool Validate() override;

    // The country changed: the city button and the city list follow it.
    void CountryChanged();
    // The user left the city box: a typed city that is not known is offered
    // for adding to the office's country.
    void CityLeft();
    // The city list picks a city of the office's country; the country list a
    // country.
    void actnCitiesExecute();
    void actnCountriesExecute();

protected:
    // Shows a picker modally; true on OK (tests answer it).
    virtual bool ExecPicker(TfrmBaseGridForm *list);

    void FirstShow() override;
    void FormNotify(QObject *sender, int action, int kind) override;

private:
    void UpdateCityColor();
    void SetField(const QString &field, const QVariant &value);

    TMasterDataDM &FDm;
    int FNewKey = 0;
    bool FInCityLeft = false;
    QMetaObject::Connection FFieldConnection;
};
