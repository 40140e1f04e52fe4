#include "db/named_params.h"

#include <gtest/gtest.h>

#include <ostream>

using db::translateNamedParams;

namespace {

struct Case {
    const char* name;
    const char* sql;
    const char* expected;
    QStringList names;  // per marker; empty string for a positional ?
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class NamedParams : public ::testing::TestWithParam<Case> {};

TEST_P(NamedParams, Translates)
{
    const Case& c = GetParam();
    const auto t = translateNamedParams(QString::fromUtf8(c.sql));
    EXPECT_EQ(t.sql, QString::fromUtf8(c.expected));
    EXPECT_EQ(t.positions, c.names);
}

const QString A = QStringLiteral("A");
const QString B = QStringLiteral("B");

INSTANTIATE_TEST_SUITE_P(
    Statements, NamedParams,
    ::testing::Values(
        Case{"plain", "select * from T where A = :A and B = :b", "select * from T where A = ? and B = ?", {A, B}},
        Case{"repeated", "update T set A = :a where A = :A or :A is null", "update T set A = ? where A = ? or ? is null", {A, A, A}},
        Case{"old_prefix", "update T set ID = :ID where ID = :OLD_ID", "update T set ID = ? where ID = ?",
             {QStringLiteral("ID"), QStringLiteral("OLD_ID")}},
        Case{"dollar", "select :X$1 from T", "select ? from T", {QStringLiteral("X$1")}},
        Case{"quoted_text", "where S = ':NOT' and S2 = 'it''s :NOT' and A = :A", "where S = ':NOT' and S2 = 'it''s :NOT' and A = ?", {A}},
        Case{"quoted_identifier", "select \"odd:NAME\", \"say \"\":N\"\"\" from T where A = :A",
             "select \"odd:NAME\", \"say \"\":N\"\"\" from T where A = ?", {A}},
        Case{"line_comment", "select 1 -- :X; comment\nfrom T where A = :A", "select 1 -- :X; comment\nfrom T where A = ?", {A}},
        Case{"block_comment", "/* :X */ select :A /* :Y\n */ from T", "/* :X */ select ? /* :Y\n */ from T", {A}},
        Case{"q_string", "where S = q'{:X'}' and A = :A", "where S = q'{:X'}' and A = ?", {A}},
        Case{"positional", "where A = ? and B = :B", "where A = ? and B = ?", {QString(), B}},
        Case{"not_a_name", "select a[1:2], ':' || x from T where A = : A", "select a[1:2], ':' || x from T where A = : A", {}},
        Case{"unterminated", "select 'unterminated :A", "select 'unterminated :A", {}},
        Case{"execute_block", "  -- lead\n execute block (P integer = :P, Q varchar(10) = :q) returns (R integer) as "
             "declare variable V integer; begin V = :P; R = :V + (select 1 from rdb$database); suspend; end",
             "  -- lead\n execute block (P integer = ?, Q varchar(10) = ?) returns (R integer) as "
             "declare variable V integer; begin V = :P; R = :V + (select 1 from rdb$database); suspend; end",
             {QStringLiteral("P"), QStringLiteral("Q")}},
        Case{"execute_block_body", "EXECUTE BLOCK AS DECLARE X INTEGER; BEGIN X = :X; END",
             "EXECUTE BLOCK AS DECLARE X INTEGER; BEGIN X = :X; END", {}},
        Case{"create_procedure", "create or alter procedure P (A integer) returns (B integer) as begin B = :A; suspend; end",
             "create or alter procedure P (A integer) returns (B integer) as begin B = :A; suspend; end", {}},
        Case{"recreate_trigger", "/* c */ RECREATE TRIGGER T1 for T before insert as begin new.ID = :X; end",
             "/* c */ RECREATE TRIGGER T1 for T before insert as begin new.ID = :X; end", {}}));

}  // namespace
