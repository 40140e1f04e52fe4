// Rights checks and the rights tree of the data module.

#include "users_fixture.h"

#include "db/transaction.h"
#include "framework/data/rights.h"

namespace {

using securitytest::UsersTest;
using namespace users;

int rightsRows(TBaseDM &dm, const QString &where)
{
    return dm.QueryInteger(QStringLiteral("select count(*) from USER_RIGHTS where ") + where);
}

TEST_F(UsersTest, AdministratorPassesEveryCheck)
{
    ASSERT_TRUE(dm->CheckLogin(QStringLiteral("admin"), QStringLiteral("hwolbin")));
    for (bool userMode : {true, false}) {
        dm->UserBasedRights = userMode;
        for (int item : {1, 9, 19, 34, 36, 999})
            EXPECT_TRUE(dm->IsAllowed(item)) << item;
    }
    EXPECT_EQ(passwordPrompts, 0);
}

TEST_F(UsersTest, UserModeAnswersTheGrantedRight)
{
    addUser(5, QStringLiteral("ivan"), QString(), UserTypeUser);
    ASSERT_TRUE(dm->CheckLogin(QStringLiteral("ivan"), QString()));
    grant(5, 19);
    tdb.exec(QStringLiteral("insert into USER_RIGHTS values (5, 20, 0)"));
    EXPECT_TRUE(dm->IsAllowed(19));
    EXPECT_FALSE(dm->IsAllowed(20)) << "IS_ALLOWED 0 is no right";
    EXPECT_FALSE(dm->IsAllowed(21));
    EXPECT_FALSE(dm->HasRight(6, 19)) << "another user's right";
    EXPECT_EQ(passwordPrompts, 0);
}

TEST_F(UsersTest, ZoneModeAsksOnlyForProtectedZones)
{
    dm->UserBasedRights = false;
    tdb.exec(QStringLiteral("update USERS set PASS = 'maint' where ID = -1"));
    EXPECT_TRUE(dm->IsAllowed(19));
    EXPECT_EQ(passwordPrompts, 0);

    grant(rights::ZoneUserId, 19);
    EXPECT_FALSE(dm->IsAllowed(19));
    EXPECT_EQ(passwordPrompts, 3);
    passwordAnswers = {QStringLiteral("maint")};
    EXPECT_TRUE(dm->IsAllowed(19));
    EXPECT_TRUE(dm->IsAllowed(19));
    EXPECT_EQ(passwordPrompts, 4) << "the elevation holds for the next check";
}

TEST_F(UsersTest, SetRightInsertsUpdatesAndDeletes)
{
    tdb.exec(QStringLiteral("insert into USER_RIGHTS values (5, 20, 0)"));
    dm->SetRight(5, 19, true);
    dm->SetRight(5, 19, true);
    dm->SetRight(5, 20, true);
    EXPECT_TRUE(dm->HasRight(5, 19));
    EXPECT_TRUE(dm->HasRight(5, 20));
    EXPECT_EQ(rightsRows(*dm, QStringLiteral("USER_ID = 5")), 2);
    dm->SetRight(5, 19, false);
    dm->SetRight(5, 33, false);
    EXPECT_FALSE(dm->HasRight(5, 19));
    EXPECT_EQ(rightsRows(*dm, QStringLiteral("USER_ID = 5")), 1);
}

TEST_F(UsersTest, RightItemsAndTheTreeShape)
{
    const std::vector<TRightItem> top = dm->GetRightItems(0);
    ASSERT_GE(top.size(), 2u);
    EXPECT_EQ(top[0].Id, 1);
    EXPECT_EQ(top[0].Text, QStringLiteral("Вход в програмата"));
    for (std::size_t i = 1; i < top.size(); ++i)
        EXPECT_LT(top[i - 1].Id, top[i].Id);

    // An item that names itself as its parent is shown once.
    tdb.exec(QStringLiteral("insert into USER_RIGHT_ITEMS (ID, PARENT_ID, DESC_DISPLAY) values (700, 700, 'Кръг')"));
    tdb.exec(QStringLiteral("insert into USER_RIGHT_ITEMS (ID, PARENT_ID, DESC_DISPLAY) values (701, 0, 'Група')"));
    tdb.exec(QStringLiteral("insert into USER_RIGHT_ITEMS (ID, PARENT_ID, DESC_DISPLAY) values (702, 701, 'Под')"));
    tdb.exec(QStringLiteral("insert into USER_RIGHT_ITEMS (ID, PARENT_ID, DESC_DISPLAY) values (703, 702, 'Подпод')"));
    TRightsTree tree;
    tree.Build(*dm);
    EXPECT_EQ(tree.IndexOf(700), -1) << "not reachable from the top";
    const int group = tree.IndexOf(701);
    ASSERT_GE(group, 0);
    EXPECT_EQ(tree.At(group + 1).Id, 702);
    EXPECT_EQ(tree.At(group + 1).Parent, group);
    EXPECT_EQ(tree.At(group + 2).Id, 703);
    EXPECT_EQ(tree.At(group + 2).Depth, 2);

    for (const TRightsTree::Node &node : tree.Nodes())
        EXPECT_EQ(node.Checkable, node.ParentId != 0 || node.Id == 1) << node.Id;
    EXPECT_TRUE(tree.At(tree.IndexOf(1)).Checkable);
    EXPECT_FALSE(tree.Toggle(group)) << "a group heading has no check mark";
    EXPECT_TRUE(tree.Toggle(group + 1));
    EXPECT_TRUE(tree.IsChecked(702));
}

TEST_F(UsersTest, SavingTheTreeWritesEveryTickAndRemovesAStrayHeadingRow)
{
    grant(5, 100);  // a group heading: a stray row
    grant(5, 9);
    grant(5, 10);
    TRightsTree tree;
    tree.Build(*dm);
    tree.LoadTicks(*dm, 5);
    EXPECT_TRUE(tree.IsChecked(9));
    EXPECT_FALSE(tree.IsChecked(100));
    tree.SetChecked(tree.IndexOf(10), false);
    tree.SetChecked(tree.IndexOf(1), true);
    tree.SetChecked(tree.IndexOf(34), true);
    tree.Save(*dm, 5);

    // Committed as one unit: another station sees the result.
    EXPECT_EQ(tdb.value(QStringLiteral("select list(ITEM_ID) from (select ITEM_ID from USER_RIGHTS "
                                       "where USER_ID = 5 order by ITEM_ID)"))
                  .toString(),
              QStringLiteral("1,9,34"));
    EXPECT_TRUE(tree.IsChecked(34));
    EXPECT_EQ(rightsRows(*dm, QStringLiteral("USER_ID <> 5")), 0) << "no other user touched";
}

TEST_F(UsersTest, FailedSaveLeavesTheRightsAsTheyWere)
{
    grant(5, 9);
    TRightsTree tree;
    tree.Build(*dm);
    tree.LoadTicks(*dm, 5);
    tree.SetChecked(tree.IndexOf(9), false);
    tree.SetChecked(tree.IndexOf(1), true);  // written before item 9
    // Another station holds a row the save must write.
    auto other = tdb.newAttachment();
    {
        db::Transaction tr(*other, db::TransactionOptions::readCommitted());
        other->executeImmediate(tr, QStringLiteral("update USER_RIGHTS set IS_ALLOWED = 1 where USER_ID = 5 and ITEM_ID = 9"));
        EXPECT_ANY_THROW(tree.Save(*dm, 5));
        tr.rollback();
    }
    EXPECT_EQ(tdb.value(QStringLiteral("select count(*) from USER_RIGHTS where USER_ID = 5 and ITEM_ID = 1")).toInt(),
              0);
    EXPECT_EQ(tdb.value(QStringLiteral("select count(*) from USER_RIGHTS where USER_ID = 5 and ITEM_ID = 9")).toInt(),
              1);
}

TEST_F(UsersTest, TemplateTicksExactlyItsGrantedItems)
{
    tdb.exec(QStringLiteral("insert into UR_TEMPLATES values (1, 'Диспечер')"));
    tdb.exec(QStringLiteral("insert into UR_TEMPLATE_ITEMS values (1, 19, 1)"));
    tdb.exec(QStringLiteral("insert into UR_TEMPLATE_ITEMS values (1, 20, 0)"));
    tdb.exec(QStringLiteral("insert into UR_TEMPLATE_ITEMS values (1, 300, 1)"));
    grant(5, 9);
    TRightsTree tree;
    tree.Build(*dm);
    tree.LoadTicks(*dm, 5);
    tree.ApplyTemplate(*dm, 1);
    EXPECT_TRUE(tree.IsChecked(19));
    EXPECT_FALSE(tree.IsChecked(20));
    EXPECT_FALSE(tree.IsChecked(9)) << "what the template does not grant is unticked";
    EXPECT_FALSE(tree.IsChecked(300)) << "a heading stays without a tick";
}

}  // namespace
