// relalg-check against brute force: random queries and their typical mistakes on small random
// databases; every counterexample must show the difference when run again, and every one said
// to be the smallest must have no smaller part of its database that shows one.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/solver.h"
#include "model_support.h"

namespace relalg {
namespace {

class mistakes {
 public:
  explicit mistakes(unsigned seed) : random(seed) {}

  // Tables R(a int, b char(3)) and S(a int, c int) of a few rows, or of `each` rows, values
  // from small pools.
  std::string tables(int each = 0) {
    std::string text = "R(a int, b char(3))\n";
    for (int rows = each > 0 ? each : pick(6); rows > 0; --rows) {
      text += std::to_string(pick(4)) + ",'" + "xyz"[pick(3)] + "'\n";
    }
    text += "\nS(a int, c int)\n";
    for (int rows = each > 0 ? each : pick(6); rows > 0; --rows) {
      text += std::to_string(pick(4)) + "," + std::to_string(pick(3)) + "\n";
    }
    return text;
  }

  // A query as a learner would write one.
  std::string query() {
    static const char* shapes[] = {
        "select(R,CONDITION)",
        "project(select(R,CONDITION),b)",
        "project(select(product(R,rename(S,T(d,c))),AND(EQ(a,d),CONDITION)),b)",
        "minus(project(R,a),project(S,a))",
        "union(project(R,a),project(select(S,CONDITION2),a))",
        "minus(project(R,a),project(select(S,CONDITION2),a))",
        "project(select(product(R,rename(R,U(e,f))),AND(EQ(a,e),NEQ(b,f))),a)",
        "minus(project(R,a),project(minus(project(R,a),project(S,a)),a))",
    };
    std::string q = shapes[pick(8)];
    replace(q, "CONDITION2", condition("c"));
    replace(q, "CONDITION", condition("b"));
    return q;
  }

  // One typical mistake made in it: a comparison flipped, AND for OR, a conjunct or a NOT
  // dropped, another constant, the operands of minus swapped.
  std::string mistake(std::string q) {
    for (int tries = 0; tries < 8; ++tries) {
      std::string m = q;
      switch (pick(6)) {
        case 0:
          flip(m);
          break;
        case 1:
          replace(m, "AND(", "OR(");
          break;
        case 2:
          replace(m, "NOT(", "(");
          break;
        case 3:
          replace(m, "'x'", "'y'") || replace(m, ",1)", ",2)");
          break;
        case 4:
          swapminus(m);
          break;
        default:
          dropconjunct(m);
      }
      if (m != q) return m;
    }
    return q;
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

 private:
  std::mt19937 random;

  std::string condition(const std::string& column) {
    static const char* keywords[] = {"EQ", "NEQ", "LT", "GT", "LTE", "GTE"};
    const std::string constant = column == "b" ? "'x'" : "1";
    const std::string comparison = std::string(keywords[pick(6)]) + "(" + (pick(2) ? column : "a") +
                                   "," + (column == "b" && pick(2) ? constant : "1") + ")";
    switch (pick(4)) {
      case 0:
        return "AND(" + comparison + ",NOT(EQ(a,2)))";
      case 1:
        return "OR(" + comparison + ",EQ(a,3))";
      default:
        return comparison;
    }
  }

  static bool replace(std::string& s, const std::string& from, const std::string& to) {
    const size_t at = s.find(from);
    if (at == std::string::npos) return false;
    s.replace(at, from.size(), to);
    return true;
  }

  void flip(std::string& s) {
    static const std::pair<const char*, const char*> flips[] = {
        {"LT(", "GT("}, {"GT(", "LT("}, {"EQ(", "NEQ("}, {"LTE(", "GTE("}};
    for (const auto& [from, to] : flips) {
      if (replace(s, from, to)) return;
    }
  }

  // minus(A,B) becomes minus(B,A), the operands found by their parentheses.
  static void swapminus(std::string& s) {
    const size_t at = s.find("minus(");
    if (at == std::string::npos) return;
    const size_t open = at + 6;
    size_t depth = 0;
    size_t comma = std::string::npos;
    size_t close = std::string::npos;
    for (size_t i = open; i < s.size() && close == std::string::npos; ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')') {
        if (depth == 0) close = i;
        --depth;
      }
      if (s[i] == ',' && depth == 0) comma = i;
    }
    if (comma == std::string::npos || close == std::string::npos) return;
    s = s.substr(0, open) + s.substr(comma + 1, close - comma - 1) + "," +
        s.substr(open, comma - open) + s.substr(close);
  }

  // AND(X,Y) becomes Y.
  static void dropconjunct(std::string& s) {
    const size_t at = s.find("AND(");
    if (at == std::string::npos) return;
    size_t depth = 0;
    for (size_t i = at + 4; i < s.size(); ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')') --depth;
      if (s[i] == ',' && depth == 0) {
        size_t end = i + 1;
        size_t inner = 0;
        for (; end < s.size(); ++end) {
          if (s[end] == '(') ++inner;
          if (s[end] == ')') {
            if (inner == 0) break;
            --inner;
          }
        }
        s = s.substr(0, at) + s.substr(i + 1, end - i - 1) + s.substr(end + 1);
        return;
      }
    }
  }
};

// Whether the two queries' results differ on the tables.
bool differon(const std::string& a, const std::string& b, const std::vector<table>& tables) {
  return !difference(testing::evaluated(a, tables), testing::evaluated(b, tables), false).empty();
}

// Every part of the tables with exactly `size` rows, given to each.
void everypart(const std::vector<table>& tables, size_t size,
               const std::function<void(const std::vector<table>&)>& each) {
  std::vector<std::pair<size_t, int32_t>> rows;  // table, row
  for (size_t k = 0; k < tables.size(); ++k) {
    for (int32_t r = 0; r < tables[k].rowcount(); ++r) rows.emplace_back(k, r);
  }
  for (uint32_t mask = 0; mask < (1u << rows.size()); ++mask) {
    if (static_cast<size_t>(__builtin_popcount(mask)) != size) continue;
    std::vector<std::vector<int32_t>> kept(tables.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      if (mask & (1u << i)) kept[rows[i].first].push_back(rows[i].second);
    }
    std::vector<table> part = tables;
    for (size_t k = 0; k < part.size(); ++k) part[k].gather(kept[k]);
    each(part);
  }
}

TEST(check, counterexamplesShowTheDifferenceAndTheSmallestAreSo) {
  mistakes g(23);
  int differing = 0;
  int smallest = 0;
  for (int round = 0; round < 400; ++round) {
    const std::vector<table> tables = testing::readtables(g.tables());
    const std::string answer = g.query();
    const std::string query = g.mistake(answer);
    const checked c = check(answer, query, {{"db", tables}}, {});
    const std::string shown = answer + " / " + query;
    if (!c.differs) {
      EXPECT_FALSE(differon(answer, query, tables)) << shown;
      continue;
    }
    ++differing;
    const counterexample& x = *c.differs;
    ASSERT_TRUE(differon(answer, query, x.tables)) << shown;
    int64_t rows = 0;
    for (const table& t : x.tables) rows += t.rowcount();
    EXPECT_EQ(rows, x.rows);
    if (!x.smallest) continue;
    ++smallest;
    for (size_t size = 0; size < static_cast<size_t>(x.rows); ++size) {
      everypart(tables, size, [&](const std::vector<table>& part) {
        EXPECT_FALSE(differon(answer, query, part)) << shown << " at " << size << " rows";
      });
      if (::testing::Test::HasFailure()) return;
    }
  }
  std::printf("%d of 400 differ, %d proven the smallest\n", differing, smallest);
  // The mistakes must show often, and be proven the smallest mostly, or this proves little.
  EXPECT_GT(differing, 100);
  EXPECT_GT(smallest, differing * 9 / 10);
}

TEST(check, generatedDatabasesFindWhatTheGivenOneHides) {
  // On the given table the two agree; a generated one with a row of b 'y' tells them apart.
  const std::vector<table> tables = testing::readtables("R(a int, b char(3))\n1,'x'\n");
  const std::string answer = "select(R,EQ(b,'x'))";
  const std::string query = "select(R,NEQ(b,'y'))";
  EXPECT_FALSE(check(answer, query, {{"db", tables}}, {}).differs);
  checkoptions generating;
  generating.generate = 1000;
  const checked c = check(answer, query, {{"db", tables}}, generating);
  ASSERT_TRUE(c.differs);
  EXPECT_EQ(c.differs->database, "generated");
  EXPECT_TRUE(differon(answer, query, c.differs->tables));
  EXPECT_GT(c.generated, 0);
}

TEST(check, largeDatabasesAreNarrowedNearTheDifference) {
  // 3,000 rows each, too many for formulas of every row: the counterexample is looked for among
  // the rows that hold the values of the rows in one result only, and those near them.
  std::string text = "R(a int, b char(5))\n";
  for (int row = 0; row < 3000; ++row) {
    text += std::to_string(row) + (row % 10 ? ",'blue'\n" : ",'red'\n");
  }
  text += "\nS(d int, c int)\n";
  for (int row = 0; row < 3000; ++row) text += std::to_string(row) + ",1\n";
  const std::vector<table> tables = testing::readtables(text);
  const std::string answer = "project(select(product(R,S),AND(EQ(a,d),EQ(b,'red'))),a,d)";
  const std::string query = "project(select(product(R,S),EQ(b,'red')),a,d)";
  const checked c = check(answer, query, {{"db", tables}}, {});
  ASSERT_TRUE(c.differs);
  EXPECT_TRUE(differon(answer, query, c.differs->tables));
  EXPECT_LE(c.differs->rows, 2);
  // A right query over the same large database still agrees.
  const std::string same = "project(select(product(S,R),AND(EQ(b,'red'),EQ(d,a))),a,d)";
  EXPECT_FALSE(check(answer, same, {{"db", tables}}, {}).differs);
}

// A large database is checked otherwise: a query without minus is told apart by a row it
// gives on the first rows of each table, and a part that shows a difference is halved before
// formulas are made of it. The verdict must still be the whole results', and the
// counterexample show the difference.
TEST(check, largeDatabasesGiveTheVerdictOfTheWholeResults) {
  mistakes g(29);
  int differing = 0;
  for (int round = 0; round < 60; ++round) {
    const std::vector<table> tables = testing::readtables(g.tables(1200));
    const std::string answer = g.query();
    const std::string query = g.mistake(answer);
    const std::string shown = answer + " / " + query;
    const checked c = check(answer, query, {{"db", tables}}, {});
    ASSERT_EQ(c.differs.has_value(), differon(answer, query, tables)) << shown;
    if (!c.differs) continue;
    ++differing;
    ASSERT_TRUE(differon(answer, query, c.differs->tables)) << shown;
    EXPECT_LE(c.differs->rows, 8) << shown;
  }
  EXPECT_GT(differing, 20);
}

TEST(check, strictResultsPrintTheSame) {
  const std::vector<table> tables = testing::readtables("R(a int, b char(3))\n2,'x'\n1,'y'\n");
  checkoptions strict;
  strict.strict = true;
  // The same rows, sorted by project and not by select: only a strict check tells.
  EXPECT_FALSE(check("select(R,GT(a,0))", "project(R,a,b)", {{"db", tables}}, {}).differs);
  const checked c = check("select(R,GT(a,0))", "project(R,a,b)", {{"db", tables}}, strict);
  ASSERT_TRUE(c.differs);
  EXPECT_EQ(c.differs->reason, "table");  // also the name: R against no name
  EXPECT_EQ(c.differs->rows, 0);
  // More columns on one side differ on any database, rows or none.
  const checked columns = check("project(R,a)", "project(R,a,b)", {{"db", tables}}, {});
  ASSERT_TRUE(columns.differs);
  EXPECT_EQ(columns.differs->reason, "columns");
  EXPECT_EQ(columns.differs->rows, 0);
  EXPECT_TRUE(columns.differs->smallest);
}

}  // namespace
}  // namespace relalg
