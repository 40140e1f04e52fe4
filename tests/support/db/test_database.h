#pragma once
// A fresh database for a test, made from the schema the program carries.
//
//   testsupport::TestDatabase tdb;                       // current version, initial data
//   db::Attachment& att = tdb.attach();
//   tdb.exec("insert into COUNTRIES (ID, CODE) values (5, 'RO')");
//   int n = tdb.value("select count(*) from COUNTRIES").toInt();
//
// The file lies in its own temporary folder (under $KARVONEL_TEST_DIR, which
// CTest sets, else the system's temporary folder) and is deleted with the
// object. It is opened through the embedded engine as SYSDBA.
//
// Speed: each kind of database (version and content) is built once, as a
// template file kept in "<test dir>/db-templates" under a name derived from
// the schema scripts, and then copied for every TestDatabase. A change of the
// scripts or of the update steps makes a new template.

#include "db/attachment.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <optional>

namespace testsupport {

// The rows that Content::SampleRows adds to the initial data.
namespace sample {
constexpr int CountryBG = 1;    // COUNTRIES: "BG", "България", "Bulgaria"
constexpr int CountryDE = 2;    // COUNTRIES: "DE", "Германия", "Germany"
constexpr int CitySofia = 1;    // CITIES: "София" / "Sofia", post code "1000", in BG
constexpr int CityMunich = 2;   // CITIES: "Мюнхен" / "Munich", post code "80331", in DE
constexpr int Client = 1;       // CLIENTS: "Клиент ООД", BG, София, Bulgarian (1)
constexpr int Carrier = 1;      // KARVONELS: "Превозвач ЕООД", BG, София, Bulgarian (1), carrier (1)
constexpr int TruckType = 1;    // TRUCK_TYPES: "Композиция" / "Truck and trailer", 13.6 x 2.45 x 2.7 trailer
constexpr int ChargeType = 1;   // LOAD_CHARGE_TYPES: "Митница"
// Currencies of the initial data: 1 "BGN", 2 "EUR", 3 "USD" (and more up to 14).
constexpr int CurrencyBGN = 1;
constexpr int CurrencyEUR = 2;
constexpr int CurrencyUSD = 3;
constexpr int AdminUser = 1;    // USERS: "admin", "Администратор", password "hwolbin", type 1
constexpr int MaintenanceUser = -1;  // USERS: type 0, empty password
}  // namespace sample

class TestDatabase {
public:
    enum class Version {
        Base = 10000,   // the base schema, before the first update step; no key 101
        V30072 = 30072, // updates 1 to 8 applied, key 101 = "30072"
        Current = 30079 // every update, key 101 = "30079"
    };
    enum class Content {
        Empty,        // schema only: no counters, users or reference rows
        InitialData,  // what the delivered database holds
        SampleRows,   // the initial data and the rows of namespace sample
    };

    explicit TestDatabase(Version version = Version::Current, Content content = Content::InitialData);
    ~TestDatabase();  // detaches the own attachment and deletes the file
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const QString& path() const { return path_; }
    // Embedded engine, SYSDBA.
    db::ConnectionParams params() const;

    // The fixture's own attachment, attached at the first call.
    db::Attachment& attach();
    // Detaches the own attachment (for instance before the file is copied).
    void detach();
    // Another attachment to the same file; it must be gone before the TestDatabase.
    std::unique_ptr<db::Attachment> newAttachment() const;

    // Runs one statement on the own attachment and commits.
    void exec(const QString& sql);
    // The first column of the first row of a select (invalid when no row);
    // the own attachment, committed.
    QVariant value(const QString& sql);

private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<db::Attachment> att_;
};

// One statement on a database file through an attachment of its own,
// committed; for files no TestDatabase holds (a program folder's database).
void Exec(const QString& path, const QString& sql);
// The first column of the first row of a select on such a file as text (an
// empty text for NULL); nullopt when there is no row.
std::optional<QString> Value(const QString& path, const QString& sql);

// The template file of a kind of database, built when missing; for tests that
// need the file itself.
QString TemplateDatabase(TestDatabase::Version version, TestDatabase::Content content);

}  // namespace testsupport
