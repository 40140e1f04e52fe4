#pragma once
// Operations of the main data module that screens of several subsystems
// share: contact data of clients and carriers, recently used texts, due dates
// in calendar or working days, the expected invoice entries of a deal, the
// restore of a cancelled request, currencies by code, and the calculated
// fields of the data module's request, user, invoice and partner lists.
//
// They run on the data module's main transaction through its statement and
// single-value services. Typed texts travel as bound parameters; keys the
// program produces stay in the statement text. Nothing here shows a dialog:
// database errors and refused text (ENotWin1251) reach the caller.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

class TBaseDM;
class TDataSet;

// --- Contact data (CONTACTINFO for clients, KARVONEL_CONTACTINFO for carriers) ---

// The newest datum (highest key) of that kind of the client; empty when none.
QString LastClientContact(TBaseDM &dm, int clientId, int kind);
QString LastKarvonelContact(TBaseDM &dm, int carrierId, int kind);

// Stores the datum unless the owner already has exactly that text under that
// kind. Keys: counter 5 for clients, 46 for carriers.
void AddClientContact(TBaseDM &dm, int clientId, int kind, const QString &text);
void AddKarvonelContact(TBaseDM &dm, int carrierId, int kind, const QString &text);

// Clears list, then fills it with the owner's texts of that kind, newest
// first. Kind 1 stands for the group of kinds 1, 2, 3 and 6.
void ClientContactList(TBaseDM &dm, int clientId, int kind, QStringList &list);
void KarvonelContactList(TBaseDM &dm, int carrierId, int kind, QStringList &list);

// --- Recently used texts ---

// Records text as the most recent of list (UPDATE_MRU_ITEMS, keeping at most
// maximum texts) and commits the main transaction (inside a unit of work the
// unit commits).
void RememberRecent(TBaseDM &dm, int list, const QString &text, int maximum);

// --- Terms ---

// Payment-term kinds.
inline constexpr int TermCalendarDays = 1;
inline constexpr int TermWorkingDays = 2;

// Kind 2: the end of a term of days working days from start (CALC_TERM: from
// the day after start, skipping weekends and HOLIDAYS; 0 days is start).
// Any other kind: start + days calendar days. An invalid start gives an
// invalid date.
QDate DueDate(TBaseDM &dm, int days, int kind, const QDate &start);

// --- Expected invoice entries (RFQ_INVOICES rows without PDATE) ---

// Rebuilds the client-side planned entry (IO_TYPE 1) of the load from the
// freight of its confirmation or contract, in one unit. A load with a posted
// client entry (PDATE set) is left as it is. A load without a client document
// loses its unposted client entries and gets none. Resets the load's
// INVOICED to 0 when an entry is made.
void RefreshClientInvoiceEntry(TBaseDM &dm, int loadId);

// The carrier-side twin (IO_TYPE 2) for a request, from the request's own
// freight. A request with a posted carrier entry is left as it is; a pending
// request (status 0) loses its unposted carrier entries and gets none.
void RefreshCarrierInvoiceEntry(TBaseDM &dm, int requestId);

// Puts a cancelled request back into documentation: every cancelled load of
// the request (status 4) and its cancelled confirmation go to status 1, then
// the request itself when it is cancelled. One unit.
void RestoreCancelledRequest(TBaseDM &dm, int requestId);

// The key of the currency with that code (CURRENCIES.TYPE); 0 when none.
int CurrencyIdByCode(TBaseDM &dm, const QString &code);

// --- Calculated fields of the data module's lists ---
// Values are those of one row as the dataset reads them (NULL: the invalid
// QVariant).

// " (I)" for the first request of a circular trip (its key below ROUND_ID),
// " (II)" for the second (ROUND_ID below the key), else empty. A ROUND_ID of
// NULL or 0 names no paired request.
QString CircularTripSuffix(const QVariant &id, const QVariant &roundId);

// "№" + RFQ_NO + "/" + RFQ_DATE ("dd.M.yyyy") + suffix.
QString RfqNoDateText(const QVariant &rfqNo, const QVariant &rfqDate, const QString &suffix);

// RfqNoDateText without the suffix, ", Превозвач:" + carrier, ", Навло: " +
// PRICE with two decimals, ", дата на дост." + DEADLINE as "dd/mm/yyyy"
// (empty when there is none), then the suffix.
QString RfqInfoText(const QVariant &rfqNo, const QVariant &rfqDate, const QVariant &carrierName,
                    const QVariant &price, const QVariant &deadline, const QString &suffix);

// The truck plate, followed by "/" and the trailer plate when there is one.
QString TransportNumbers(const QVariant &truckPlate, const QVariant &trailerPlate);

// IS_ADMIN ("Адм/Потр"): "А" for user type 1, otherwise "п".
QString UserTypeText(const QVariant &userType);

// NOTIF_TYPE_D ("Известие"): "Кредитно" for 0, "Дебитно" for 1, else empty.
QString NotifTypeText(const QVariant &notifType);

// BGINT_TYPE_D ("Националност"): "Български" for 1, "Чуждестранен" for 2,
// else empty.
QString NationalityText(const QVariant &nationality);

// The same as handlers' bodies, over the dataset's current row. Each sets
// the calculated fields the dataset has (a missing one is skipped) and is
// meant to be called from its OnCalcFields (or BeforePost) handler.

// qRFQ: RFQ_INFO_D, RFQ_NO_DATE_D, TRANSPORT_NUMBERS from ID, ROUND_ID,
// RFQ_NO, RFQ_DATE, PRICE, DEADLINE, TRUCK_REGISTRATION,
// TRAILER_REGISTRATION and the joined carrier name.
void CalcRfqFields(TDataSet &q, const QString &carrierNameField = QStringLiteral("KARVONEL_D"));
// qUsers: IS_ADMIN from USER_TYPE.
void CalcUserFields(TDataSet &q);
// qInvoices: NOTIF_TYPE_D from NOTIF_TYPE.
void CalcInvoiceFields(TDataSet &q);
// qInvoices before post: IS_WAITING NULL becomes 0.
void InvoiceBeforePost(TDataSet &q);
// qClients (CLIENT_BGINT_TYPE), qKarvonels (KARVONEL_BGINT_TYPE): BGINT_TYPE_D.
void CalcNationalityField(TDataSet &q, const QString &nationalityField);
