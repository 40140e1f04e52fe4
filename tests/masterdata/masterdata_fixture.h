#pragma once
// A master-data module connected to a fresh database with the sample rows,
// recording the change notices and error messages it sends.

#include "masterdata/masterdata_dm.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <utility>
#include <vector>

class MasterDataFixture : public ::testing::Test
{
protected:
    MasterDataFixture() : tdb(testsupport::TestDatabase::Version::Current, testsupport::TestDatabase::Content::SampleRows)
    {
    }

    void SetUp() override
    {
        dm.IBDatabase.Params = tdb.params();
        dm.ConnectPauseMs = 0;
        dm.NotifyForms = [this](int action, int kind) { notices.emplace_back(action, kind); };
        dm.ErrorMessage = [this](const QString &text) { errors << text; };
        ASSERT_TRUE(dm.Connect());
    }
    void TearDown() override { dm.Disconnect(); }

    int count(const QString &sql) { return dm.QueryInteger(sql); }

    // A load of request 1 pointing at countries through the given column.
    void addLoad(int id, const QString &column, int country)
    {
        dm.ExecSQL(QStringLiteral("insert into RFQ_LOADS (ID, RFQ_ID, RFQ_ADDRESS_ID, %1) values (%2, 1, 1, %3)")
                       .arg(column)
                       .arg(id)
                       .arg(country));
    }

    testsupport::TestDatabase tdb;
    TMasterDataDM dm;
    std::vector<std::pair<int, int>> notices;  // (action, kind)
    QStringList errors;
};
