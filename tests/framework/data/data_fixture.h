#pragma once
// A fresh database with the sample rows and a data module connected to it.

#include "framework/data/basedm.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <memory>

namespace datatest {

// A data module on a database file through the embedded engine.
inline std::unique_ptr<TBaseDM> connectedModule(const db::ConnectionParams &params)
{
    auto dm = std::make_unique<TBaseDM>();
    dm->ConnectPauseMs = 0;
    dm->IBDatabase.Params = params;
    if (!dm->Connect())
        throw std::runtime_error("cannot connect to the test database");
    return dm;
}

class DataTest : public ::testing::Test
{
protected:
    explicit DataTest(testsupport::TestDatabase::Content content = testsupport::TestDatabase::Content::SampleRows)
        : tdb(testsupport::TestDatabase::Version::Current, content)
    {
        dm = connectedModule(tdb.params());
    }
    ~DataTest() override { dm.reset(); }

    // What another station sees: the fixture's own attachment, committed reads.
    QVariant seen(const QString &sql) { return tdb.value(sql); }

    testsupport::TestDatabase tdb;
    std::unique_ptr<TBaseDM> dm;
};

}  // namespace datatest
