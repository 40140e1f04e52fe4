#pragma once
// The rules of the reference screens that are not widgets: the truck-type
// list's dataset with its volumes and defaults, the document clauses and
// their eight documents, the city list's own before-post rule and the rules
// of the customs office editor. The screens call them; nothing here shows a
// window (refusals are thrown as TRefusal, which the screen shows).

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

class TDataSet;
class TMasterDataDM;

// A rule refused what the user did: the screen shows Text as a message of
// the given kind (the values of TMsgDlgType: 0 warning, 1 error) and stops.
class TRefusal : public std::runtime_error
{
public:
    enum Kind { Warning = 0, Error = 1 };
    TRefusal(const QString &text, Kind kind)
        : std::runtime_error(text.toStdString()), Text(text), MessageKind(kind) {}
    QString Text;
    Kind MessageKind;
};

// --- Truck types ---

// width x height x length, only when all three are given (not NULL).
std::optional<double> LoadSpaceVolume(const QVariant &width, const QVariant &height, const QVariant &length);

// The truck-type list's own dataset over TRUCK_TYPES ("Order by ID"), with
// every column written back, the calculated volumes PRIMARY_VOL_D and
// SEC_VOL_D, and the before-post rule: ID from counter 8 when NULL, CEMT and
// STANDARD 0 when NULL. Field captions as the list shows them.
void SetupTruckTypesDataSet(TMasterDataDM &dm, TDataSet &q);

// --- Document clauses ---

struct TClauseDocument
{
    QString Caption;  // "Заявка - договор [ БГ ]" ...
    int Key;          // 11, 12, 21, 22, 101, 102, 201, 202
    int RepType;      // REPORT_CLAUSES.REP_TYPE
    int LangId;       // REPORT_CLAUSES.LANG_ID
};

// The eight documents in the order the list offers them.
const std::vector<TClauseDocument> &ClauseDocuments();
// The document of the key; null when there is none.
const TClauseDocument *ClauseDocumentByKey(int key);
// The document the clause list opens on (key 11).
inline constexpr int FirstClauseDocument = 11;

// The clause list's dataset: the clauses of :REP_TYPE and :LANG_ID ordered
// by MAJOR_NUM, MINOR_NUM, every column written back; before post ID from
// counter 200 when NULL.
void SetupClausesDataSet(TMasterDataDM &dm, TDataSet &q);
// Sets the list's parameters to the document's and re-reads it.
void SelectClauseDocument(TMasterDataDM &dm, TDataSet &q, const TClauseDocument &document);
// Appends a clause (not posted) whose REP_TYPE and LANG_ID are the list's
// current parameters.
void AppendClause(TDataSet &q);

// --- Cities ---

// The city list's own before-post rule for a row of dataSet, with the
// country chosen in the list's filter (NULL: none):
//   no country: "Изберете държава преди да се опитате да въвеждате град!" (warning);
//   a postal code of fewer than two characters:
//     "Трябва да попълните пощенски код дълъг поне два символа!" (warning);
//   a row without a key takes one from counter 9 and the chosen country;
//   another city of the same name (any country): "Този град е вече вписан!" (error).
// Refusals are thrown as TRefusal.
void CityListBeforePost(TMasterDataDM &dm, TDataSet &dataSet, const QVariant &countryId);

// --- Customs offices ---

// The editor's own city list: the cities of :COUNTRY by name, written back
// to CITIES; before post a new city takes its key from counter 9 and its
// country from countryId() (the office's country at that moment).
void SetupDouaneCitiesDataSet(TMasterDataDM &dm, TDataSet &q, std::function<QVariant()> countryId);

// Which required field of the office is missing, in the order the editor
// checks them: "COUNTRY_ID", then "CITY_ID"; empty when both are set.
QString MissingDouaneField(const QVariant &countryId, const QVariant &cityId);

// The question asked for a typed city that is not known.
QString UnknownCityQuestion();  // "Този град не е описан в базата данни.\nЖелаете ли да го добавите?"
// Asked for a typed city while no country is chosen.
inline const QString ChooseCountryText = QStringLiteral("Моля изберете държава!");
