#pragma once
// The reference-data part of the main data module: one lookup dataset per
// reference table (countries, cities, truck types, currencies ...), plus the
// shared lists of clients, carriers, users, active requests and invoices,
// opened when the database is connected and used as list source by every
// lookup combo box of the program. The rules that run when their rows are
// posted or deleted live here: keys from counters, change notices, the
// country delete guard.
//
// The program's data module Tdm derives from this class; screens of the
// subsystems take a TMasterDataDM& so that they need not know the program.
// Nothing here shows a window: change notices go through NotifyForms (the
// main window sets it), and the one message of a delete guard through
// ErrorMessage (the program shows it in its message dialog).

#include "framework/data/basedm.h"
#include "framework/data/dataset.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class TMasterDataDM : public TBaseDM
{
    Q_OBJECT
public:
    // "Записът не може да бъде изтрит, тъй като се използва от %d свързани записа!"
    static const QString InUseText;

    explicit TMasterDataDM(QObject *parent = nullptr);
    ~TMasterDataDM() override;

    // --- The lookup datasets, in the order OpenLookups opens them ---
    TDataSet qCountries;         // "select * from COUNTRIES" by CODE; counter 1; tag 5
    TDataSet qCountries1;        // the same in NAME order
    TDataSet qActivityTypes;     // counter 4
    TDataSet qTruckTypes;        // counter 8; tag 1
    TDataSet qContactInfoTypes;  // counter 6
    TDataSet qCities;            // every city by NAME; counter 9
    TDataSet qCities1;           // the cities of :COUNTRY by NAME
    TDataSet qNeghbourhood;      // neighbouring countries; counter 13
    TDataSet qClients;           // clients with country and city joined
    TDataSet qKarvonels;         // carriers with country and city joined
    TDataSet qDouanes;           // customs offices with country and city joined
    TDataSet qUsers;             // users by USER_TYPE, LOGIN; IS_ADMIN
    TDataSet qRFQ;               // the active requests
    TDataSet qInvoices;          // issued invoices
    TDataSet qCurrencies;        // counter 27; tag 2
    TDataSet qIntInvoices;       // foreign-currency invoices
    TDataSet qChargeTypes;       // kinds of load expense; counter 50

    // Every lookup dataset in the order of OpenLookups.
    std::vector<TDataSet *> Lookups();

    // Opens every lookup dataset in order (giving each the write statements
    // of its table first). Answers false, with the reason on standard error,
    // when one fails to open; the datasets opened before stay open.
    bool OpenLookups();
    void CloseLookups();

    // The base commit and restart, then OpenLookups.
    bool OpenDatasets() override;
    void CloseDatasets() override;

    // --- Cities ---
    // Appends a row to qCities with a key from counter 9 and the values,
    // posts it (which broadcasts kind 1) and answers the key.
    int AddCity(int countryId, const QString &name, const QString &postCode, const QString &nameEng);
    // Finds the row of qCities, sets the values and posts. The row is
    // re-read first when qCities does not hold it yet (a city another
    // station added). Throws EDataSetError when there is no such city.
    void UpdateCity(int id, int countryId, const QString &postCode, const QString &nameEng,
                    const QString &name);

    // --- Change notices ---
    // The data module's reaction to a change notice with action 1: re-reads
    // the lookup datasets of the kind, each back on its current row
    // (kind 0: both country lists; 1: both city lists; 2 clients;
    // 4 activity types; 5 carriers; 7 contact data types; 9 truck types;
    // 13 requests). Other kinds change nothing.
    void RefreshLookup(int kind);
    // The base commit (for notices of others), then RefreshLookup(kind)
    // when action is 1. Notices the data module sent itself are ignored.
    void NotifyDataChanged(QObject *sender, int action, int kind) override;

    // Broadcasts a change notice of the data module: the main window sets
    // it so that every open form receives the notice (with the data module
    // as sender). Without it nothing is sent.
    std::function<void(int action, int kind)> NotifyForms;
    // Shows an error message with OK (the program's message dialog). Without
    // it a refused delete is an EDataSetError with the text.
    std::function<void(const QString &text)> ErrorMessage;

    // --- Delete guards ---
    // The rows that still point at the country: loads (as load, unload and
    // both customs countries) and cities.
    int CountryUsageCount(int countryId);
    // The trucks of transport offers of the truck type.
    int TruckTypeUsageCount(int truckTypeId);
    // Shows InUseText with count through ErrorMessage and aborts silently
    // (EAbort); without ErrorMessage throws EDataSetError with the text.
    [[noreturn]] void RefuseDelete(int count);

    // Fills ID from the counter when it is NULL (a before-post rule).
    void KeyFromCounter(TDataSet &dataSet, int counter, const QString &keyField = QStringLiteral("ID"));

protected:
    // Sends a notice through NotifyForms when it is set.
    void Broadcast(int action, int kind);

private:
    void SetupDataSets();
    // Posting and deleting rows of a lookup broadcast action 1 or 2 with kind.
    void NoticesOn(TDataSet &dataSet, int kind);
    void KeyOn(TDataSet &dataSet, int counter);
    void SetupFields();
    void CountriesBeforeDelete(TDataSet &dataSet);
};
