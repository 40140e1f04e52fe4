#pragma once
// The counter map of the main data module: which counter hands out the keys
// of which table, and the two maintenance steps of Tdm that go over the
// tables: raising the counters above the keys in use, and clearing the data.

#include <QString>
#include <QStringList>

#include <vector>

class TBaseDM;

struct TCounterTable {
    int counter;         // COUNTERS.ID
    QStringList tables;  // one table, or the two that share the counter
    QString keyColumn;   // "ID", or "DETAIL_ID" for INVOICE_DETAILS
};

// Every counter AdjustCountersForTables raises, in the order it visits them:
// the counters of the tables (not 4, 7, 11 and 15 in their places; 11 and 15
// with their two tables), then 4, 51 and 200, which an import or a restore
// could otherwise make hand out keys already in use.
const std::vector<TCounterTable> &CounterMap();

// The Tdm part of AdjustCounters: for each entry of the map, n = the highest
// key of its tables + 1 (1 when they are empty), and the counter is set to n
// when it is below n. A counter is only ever raised; a missing COUNTERS row
// is not created. One unit on the main transaction, tried again when another
// station holds a counter row for a moment.
void AdjustCountersForTables(TBaseDM &dm);

// The tables ClearTdmData empties, in its order.
const QStringList &ClearDataTables();

// The Tdm part of ClearData: "delete from" each table of ClearDataTables
// (APP_CONFIG keeps the keys 1, 20, 21 and 101), all in one unit. Users,
// rights, counters and the tables not named stay as they are.
void ClearTdmData(TBaseDM &dm);
