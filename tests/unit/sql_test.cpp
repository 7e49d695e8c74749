// The SQL script's pieces: quoting, distinct names, the facts of values, and scripts of
// queries nested deep.
#include <gtest/gtest.h>

#include <string>

#include "explain/sql.h"
#include "explain/sqltext.h"

namespace relalg {
namespace {

size_t count(const std::string& text, const std::string& piece) {
  size_t found = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++found;
  }
  return found;
}

TEST(sqltext, quotesNamesTextsAndComments) {
  EXPECT_EQ(sqlname("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(sqltext("it's"), "'it''s'");
  EXPECT_EQ(commentsafe("a\rb\nc\x7f"), "a?b?c?");
  EXPECT_EQ(commentsafe("abcdef", 3), "abc...");
  EXPECT_EQ(commentsafe("\xe9t\xc3\xa9", 3), "?t\xc3\xa9");  // UTF-8 kept whole
  EXPECT_TRUE(validutf8("\xc3\xa9t\xc3\xa9"));
  EXPECT_FALSE(validutf8("\xe9t"));
}

TEST(sqltext, namesDistinctWithoutRegardToCase) {
  std::unordered_set<std::string> taken{"rowid"};
  EXPECT_EQ(distinctnames({"a", "A", "b", "a_2", "rowid", "RowId"}, taken),
            (std::vector<std::string>{"a", "A_2", "b", "a_2_4", "rowid_5", "RowId_6"}));
  EXPECT_EQ(taken.count("rowid_6"), 1u);
}

TEST(sqltext, namesDistinctInTheFirstBytesPostgresKeeps) {
  // PostgreSQL keeps 63 bytes of a name, cut before a character they would split: here the
  // two bytes of an e with an accent.
  const std::string a(62, 'a');
  const std::string e = "\xc3\xa9";
  const std::vector<std::string> names{a + "xy", a + "xz", a + e + "1", a + e + "2"};
  const std::vector<std::string_view> views(names.begin(), names.end());
  std::unordered_set<std::string> taken;
  EXPECT_EQ(distinctnames(views, taken, 63),
            (std::vector<std::string>{a + "xy", a.substr(0, 61) + "_2", a + e + "1",
                                      a.substr(0, 61) + "_4"}));
  taken.clear();
  EXPECT_EQ(distinctnames(views, taken), names);
}

TEST(sqltext, integerReadingsAtTheEndsOf32Bits) {
  EXPECT_FALSE(readsbeyond32("2147483647"));
  EXPECT_TRUE(readsbeyond32("2147483648"));
  EXPECT_FALSE(readsbeyond32("-2147483648"));
  EXPECT_TRUE(readsbeyond32(" \t-2147483649x"));
  EXPECT_FALSE(readsbeyond32("x99999999999"));  // atoi stops at once
  EXPECT_TRUE(plaininteger("+5"));
  EXPECT_TRUE(plaininteger("-007"));
  for (const char* loose : {"", "-", " 5", "5x", "1e3", "99999999999"}) {
    EXPECT_FALSE(plaininteger(loose)) << loose;
  }
}

TEST(sqltext, factsKeepTheFirstValueOfEachKind) {
  textfacts f;
  for (const char* value : {"12", "\xc3\xa9", "3000000000", "abc", "'q", "\xc3\xb6"}) f.add(value);
  EXPECT_EQ(f.highbyte, "\xc3\xa9");
  EXPECT_EQ(f.beyond32, "3000000000");
  EXPECT_EQ(f.notplain, "\xc3\xa9");
  EXPECT_EQ(f.quoted, "'q");
  textfacts g;
  g.add("7");
  g.merge(f);
  EXPECT_EQ(g.notplain, "\xc3\xa9");
  EXPECT_FALSE(textfacts().highbyte);
}

TEST(sqlscript, dialectsByName) {
  EXPECT_EQ(sqldialectnamed("duckdb"), sqldialect::duckdb);
  EXPECT_EQ(sqldialectnamed("postgres"), sqldialect::postgres);
  EXPECT_FALSE(sqldialectnamed("SQLite"));
}

TEST(sqlscript, withoutTablesOnlyTheQuery) {
  sqloptions o;
  o.tables = false;
  const std::string script = sqlscript("t\n\nt(a int)\n1\n", o);
  EXPECT_EQ(script, "SELECT \"a\" FROM \"t\" ORDER BY \"t\".rowid;\n");
}

TEST(sqlscript, deepQueriesAndConditionsStayLinear) {
  const int depth = 20000;
  std::string query;
  for (int i = 0; i < depth; ++i) query += "select(";
  query += "t";
  for (int i = 0; i < depth; ++i) query += ",NOT(EQ(a,1)))";
  std::string condition = "EQ(a,1)";
  for (int i = 0; i < depth; ++i) condition = "NOT(" + condition + ")";
  const std::string steps = sqlscript(query + "\n\nt(a int)\n1\n", {});
  EXPECT_EQ(count(steps, " AS (SELECT "), static_cast<size_t>(depth));
  const std::string nots = sqlscript("select(t," + condition + ")\n\nt(a int)\n1\n", {});
  EXPECT_EQ(count(nots, "NOT ("), static_cast<size_t>(depth));
  EXPECT_NE(nots.find("-- a condition nests 20001 levels deep"), std::string::npos);
  EXPECT_NE(steps.find("-- the query nests 20000 steps deep"), std::string::npos);
}

// A warning where the engine's own limits on nesting begin, as measured in each: SQLite's
// parser refuses a few dozen levels of parentheses, DuckDB about 1000 steps or levels.
TEST(sqlscript, nestingWarnedWhereTheEngineStops) {
  const auto warned = [](const std::string& input, sqldialect dialect) {
    return sqlscript(input, {true, dialect}).find("-- ") != std::string::npos;
  };
  const auto condition = [](int depth) {
    std::string text = "GT(a,0)";
    for (int i = 1; i < depth; ++i) text = "AND(GT(a,1)," + text + ")";
    return "select(t," + text + ")\n\nt(a int)\n1\n";
  };
  const auto steps = [](int depth) {
    std::string text = "t";
    for (int i = 0; i < depth; ++i) text = "select(" + text + ",GT(a,0))";
    return text + "\n\nt(a int)\n1\n";
  };
  EXPECT_FALSE(warned(condition(25), sqldialect::sqlite));
  EXPECT_TRUE(warned(condition(26), sqldialect::sqlite));
  EXPECT_FALSE(warned(condition(990), sqldialect::duckdb));
  EXPECT_TRUE(warned(condition(991), sqldialect::duckdb));
  EXPECT_FALSE(warned(condition(1000), sqldialect::postgres));
  EXPECT_FALSE(warned(steps(990), sqldialect::sqlite));
  EXPECT_TRUE(warned(steps(991), sqldialect::sqlite));
  EXPECT_TRUE(warned(steps(991), sqldialect::duckdb));
  EXPECT_FALSE(warned(steps(1000), sqldialect::postgres));
}

TEST(sqlscript, aProductTooLargeForRelalgGetsItsScript) {
  std::string input = "product(product(t,t),product(t,t))\n\nt(a int)\n";
  for (int row = 0; row < 300; ++row) input += std::to_string(row) + "\n";
  const std::string script = sqlscript(input, {});
  EXPECT_NE(script.find("product_3(\"a\", \"a_2\", \"a_3\", \"a_4\") AS"), std::string::npos);
}

TEST(sqlscript, aQueryPastTheNestingLimitHasNoColumns) {
  const std::string script = sqlscript(std::string(100001, '(') + "\n\nt(a int)\n1\n", {});
  EXPECT_NE(script.find("-- the result has no columns"), std::string::npos);
  EXPECT_NE(script.find("SELECT 0 WHERE FALSE;"), std::string::npos);
}

}  // namespace
}  // namespace relalg
