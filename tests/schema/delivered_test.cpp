// The database delivered with the program, and the index list of the restore.

#include "app/schema/restore_indexes.h"
#include "app/schema/schema_updates.h"
#include "framework/data/users.h"
#include "schema/schema_test_util.h"
#include "support/db/test_database.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHash>
#include <QSet>

using namespace schematest;
using testsupport::TestDatabase;

namespace {

QSet<QString> IndexNames(db::Attachment& att)
{
    QSet<QString> out;
    for (const db::Row& r : Rows(att, QStringLiteral("select RDB$INDEX_NAME from RDB$INDICES"
                                                     " where coalesce(RDB$SYSTEM_FLAG, 0) = 0")))
        out << r[0].toString().trimmed();
    return out;
}

}  // namespace

TEST(DeliveredDatabase, RestoreIndexNamesExistAtEveryVersion)
{
    const QStringList& names = schema::RestoreIndexNames();
    EXPECT_EQ(names.size(), 80);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 80);

    DeliveredCopy delivered;
    TestDatabase base(TestDatabase::Version::Base, TestDatabase::Content::Empty);
    const QSet<QString> inDelivered = IndexNames(delivered.attachment());
    const QSet<QString> inBase = IndexNames(base.attach());
    for (const QString& name : names) {
        EXPECT_TRUE(inDelivered.contains(name)) << name.toStdString();
        EXPECT_TRUE(inBase.contains(name)) << name.toStdString();
    }
    // The server-named keys are those of the sixteen tables declared without
    // a constraint name.
    const std::vector<db::Row> unnamed = Rows(
        delivered.attachment(),
        QStringLiteral("select RDB$RELATION_NAME from RDB$INDICES where RDB$INDEX_NAME starting with 'RDB$PRIMARY'"
                       " order by 1"));
    QStringList tables;
    for (const db::Row& r : unnamed)
        tables << r[0].toString().trimmed();
    EXPECT_EQ(tables, (QStringList{"ACTIVITIES", "ACTIVITY_TYPES", "CARGO", "CITIES", "CLIENTS", "CONTACTINFO",
                                   "CONTACTINFO_TYPES", "COUNTERS", "COUNTRIES", "COUNTRY_NEIGHBOURING",
                                   "KARVONELS", "KARVONEL_DESTINATIONS", "KARVONEL_TRUCKS", "TRANSPORT",
                                   "TRANSPORT_TRUCKS", "TRUCK_TYPES"}));
}

TEST(DeliveredDatabase, HoldsTheInitialData)
{
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(KARVONEL_BIN_DIR "/firebird.conf")));
    DeliveredCopy delivered;
    db::Attachment& att = delivered.attachment();

    EXPECT_EQ(Value(att, QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = 101")).toString(),
              QStringLiteral("30079"));
    EXPECT_EQ(Value(att, QStringLiteral("select c.KEY_VALUE from APP_CONFIG c join APP_CONFIG_KEYS k"
                                        " on k.KEY_ID = c.KEY_ID where k.NAME = 'AUTH_MODE'"))
                  .toString(),
              QStringLiteral("1"));

    // A counter for every number drawn: 1 to 51 and 200; 7 never below 1002;
    // every counter above the keys of its table.
    QSet<int> counters;
    for (const db::Row& r : Rows(att, QStringLiteral("select ID, VAL from COUNTERS")))
        counters << r[0].toInt();
    for (int id = 1; id <= 51; ++id)
        EXPECT_TRUE(counters.contains(id)) << id;
    EXPECT_TRUE(counters.contains(200));
    EXPECT_EQ(Value(att, QStringLiteral("select VAL from COUNTERS where ID = 7")).toInt(), 1002);
    const std::pair<int, const char*> filled[] = {{17, "USERS"}, {27, "CURRENCIES"}, {6, "CONTACTINFO_TYPES"}};
    for (const auto& [counter, table] : filled)
        EXPECT_GT(Value(att, QStringLiteral("select VAL from COUNTERS where ID = %1").arg(counter)).toInt(),
                  Value(att, QStringLiteral("select max(ID) from %1").arg(QString::fromLatin1(table))).toInt())
            << table;

    // The maintenance row and the administrator.
    const std::vector<db::Row> users =
        Rows(att, QStringLiteral("select ID, LOGIN, NAME, PASS, USER_TYPE from USERS order by ID"));
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0][0].toInt(), -1);
    EXPECT_EQ(users[0][3].toString(), QString());
    EXPECT_EQ(users[0][4].toInt(), 0);
    EXPECT_EQ(users[1][1].toString(), QStringLiteral("admin"));
    EXPECT_EQ(users[1][2].toString(), QStringLiteral("Администратор"));
    // The password "hwolbin" in its stored (hashed) form.
    EXPECT_TRUE(users::IsPasswordHash(users[1][3].toString())) << users[1][3].toString().toStdString();
    EXPECT_TRUE(users::PasswordMatches(QStringLiteral("hwolbin"), users[1][3].toString()));
    EXPECT_EQ(users[1][4].toInt(), 1);

    // The rights tree: every item the program asks about, each under a group
    // heading (item 1 at the top), and every parent present.
    QHash<int, int> parent;
    for (const db::Row& r : Rows(att, QStringLiteral("select ID, PARENT_ID from USER_RIGHT_ITEMS")))
        parent.insert(r[0].toInt(), r[1].toInt());
    const int items[] = {1, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                         26, 27, 28, 29, 30, 32, 33, 34, 35, 36};
    for (int item : items) {
        ASSERT_TRUE(parent.contains(item)) << item;
        if (item == 1)
            EXPECT_EQ(parent.value(item), 0);
        else
            EXPECT_TRUE(parent.contains(parent.value(item)) && parent.value(parent.value(item)) == 0) << item;
    }

    // The national currency and the contact kinds other screens rely on.
    EXPECT_EQ(Value(att, QStringLiteral("select count(*) from CURRENCIES where TYPE = 'BGN'")).toInt(), 1);
    EXPECT_EQ(Value(att, QStringLiteral("select count(*) from CURRENCIES where TYPE in ('EUR', 'USD')")).toInt(), 2);
    for (int kind : {1, 4, 6, 7})
        EXPECT_EQ(Value(att, QStringLiteral("select count(*) from CONTACTINFO_TYPES where ID = %1").arg(kind)).toInt(),
                  1)
            << kind;
}
