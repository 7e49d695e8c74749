// The explanation as a whole: lines of notes, values of steps, the nesting limit, the
// notations, and output that stays within its bounds.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "explain/explain.h"
#include "explain/jsonrender.h"
#include "explain/linenumbers.h"
#include "explain/notation.h"
#include "explain/printable.h"
#include "explain/textrender.h"

namespace relalg {
namespace {

bool mentions(const std::vector<note>& notes, const std::string& text, int64_t line) {
  for (const note& n : notes) {
    if (n.text.find(text) != std::string::npos && n.line == line) return true;
  }
  return false;
}

TEST(linenumbers, countsLinesFromOne) {
  const linenumbers lines = linenumbers::of("ab\ncd\n\nef");
  EXPECT_EQ(lines.at(0), 1);
  EXPECT_EQ(lines.at(2), 1);  // the line feed ends its own line
  EXPECT_EQ(lines.at(3), 2);
  EXPECT_EQ(lines.at(6), 3);
  EXPECT_EQ(lines.at(7), 4);
  // Lines that added nothing start where the next one does: the later one holds the text.
  EXPECT_EQ(linenumbers({2, 2, 5}).at(2), 3);
}

TEST(explain, notesNameTheLinesOfTheInputTheyConcern) {
  const explanation e = explain(
      "select(emp,\r\n  GT(salery,4000))\r\n\r\nemp(id int, salary int)\r\n1,2\r\n3,x\r\n", 5);
  ASSERT_EQ(e.tables.size(), 1u);
  EXPECT_EQ(e.tables[0].line, 4);
  EXPECT_TRUE(mentions(e.tables[0].notes, "\"x\" in column \"salary\" is not a number", 6));
  const conditioninfo& gt = e.conditions.at(static_cast<size_t>(e.nodes[0].condition));
  EXPECT_TRUE(mentions(gt.notes, "\"salery\" names no column", 2));
  EXPECT_TRUE(mentions(e.notes, "3 carriage returns", 1));
}

TEST(explain, eachStepKeepsItsFirstRowsAndItsCount) {
  const std::string input = "project(t,a)\n\nt(a int, b int)\n3,1\n1,1\n2,1\n1,2\n";
  const explanation e = explain(input, 2);
  ASSERT_EQ(e.nodes.size(), 2u);
  EXPECT_EQ(e.nodes[0].rows, 3);
  EXPECT_EQ(e.nodes[0].first, (std::vector<std::vector<std::string>>{{"1"}, {"2"}}));
  EXPECT_EQ(e.nodes[1].rows, 4);
  EXPECT_TRUE(explain(input, 0).nodes[0].first.empty());
}

TEST(explain, aQueryPastTheNestingLimitIsOneStepWithItsNote) {
  const explanation e = explain(std::string(100001, '(') + "\n\nt(a int)\n1\n", 5);
  ASSERT_EQ(e.nodes.size(), 1u);
  EXPECT_EQ(e.nodes[0].rows, 0);
  EXPECT_TRUE(mentions(e.nodes[0].notes, "nest 100001 deep", 0));
  const std::string json = explainjson(std::string(100001, '(') + "\n\n", 5);
  EXPECT_NE(json.find("\"operator\":\"table\""), std::string::npos);
  EXPECT_NE(json.find("nest 100001 deep"), std::string::npos);
}

TEST(explain, aDeepQueryWithinTheLimitIsExplainedStepByStep) {
  std::string query = "t";
  for (int i = 0; i < 5000; ++i) query = "select(" + query + ",AND(EQ(a,1),NOT(EQ(a,2))))";
  const explanation e = explain(query + "\n\nt(a int)\n1\n", 5);
  EXPECT_EQ(e.nodes.size(), 5001u);
  EXPECT_EQ(e.nodes[0].rows, 1);
  EXPECT_FALSE(rendertext(e).empty());
  EXPECT_FALSE(textbook(e).empty());
}

TEST(explain, stepsOverAProductTooLargeToHoldAreToldAtOnceAtAnyDepth) {
  // 216^4 rows, past what relalg holds: the product is counted, the steps above it do not fit,
  // and a selection over it runs as a join. Deep, so that a step tried at every level shows.
  std::string table = "t(a int)\n";
  for (int row = 0; row < 216; ++row) table += std::to_string(row) + "\n";
  std::string query = "product(product(t,t),product(t,t))";
  const std::string joined = "select(" + query + ",EQ(a,-1))";
  for (int i = 0; i < 3000; ++i) query = "project(" + query + ",a)";
  const explanation e = explain("union(" + query + "," + joined + ")\n\n" + table, 0);
  EXPECT_FALSE(e.nodes[0].held);
  EXPECT_FALSE(e.nodes[1].held);
  EXPECT_TRUE(mentions(e.nodes[3000].notes, "does not fit in memory", 1));
  EXPECT_EQ(e.nodes[3001].rows, int64_t{2176782336});
  const nodeinfo& select = e.nodes[e.nodes.size() - 8];
  ASSERT_EQ(select.op, operatorkind::select);
  EXPECT_TRUE(select.held);
  EXPECT_EQ(select.rows, 0);
}

TEST(explainjson, refusesADocumentTooLargeToHold) {
  // Each step's text holds those of the steps in it: 40,000 levels of about 20 bytes give
  // some 16 GB of texts.
  std::string query = "t";
  for (int i = 0; i < 40000; ++i) query = "select(" + query + ",EQ(a,1))";
  const explanation e = explain(query + "\n\nt(a int)\n1\n", 1);
  EXPECT_THROW(renderjson(e), std::length_error);
  EXPECT_FALSE(rendertext(e).empty());
}

TEST(explainjson, refusesPastTheSizeOfTextsItIsGiven) {
  // The steps' texts: the select's 17 bytes, the table's 1, the condition's 7.
  const explanation e = explain("select(t,EQ(a,1))\n\nt(a int)\n1\n", 5);
  EXPECT_EQ(jsonrefusal(e, 25), "");
  EXPECT_EQ(jsonrefusal(e), "");
  EXPECT_NE(jsonrefusal(e, 24).find("the JSON would hold 25 bytes of the steps' texts"),
            std::string::npos);
}

TEST(notation, writesEveryOperatorInBothForms) {
  const explanation e = explain(
      "minus(union(project(select(a,AND(EQ(x,1),OR(NOT(LT(y,'b')),GTE(x,y)))),x),"
      "rename(b,c(x))),product(a,b))\n\na(x int, y char(1))\n1,'a'\n\nb(my_x int)\n1\n",
      5);
  EXPECT_EQ(textbook(e), "(π[x](σ[x = 1 ∧ (¬(y < 'b') ∨ x ≥ y)](a)) ∪ ρ[c(x)](b)) − (a × b)");
  EXPECT_EQ(latex(explain("project(rename(t,t_1(a%)),a%)\n\nt(x int)\n1\n", 5)),
            "\\pi_{\\text{a\\%}}(\\allowbreak \\rho_{\\text{t\\_1}(\\text{a\\%})}"
            "(\\allowbreak \\text{t}))");
  // Quotes stay straight, as written.
  EXPECT_EQ(latex(explain("select(t,EQ(x,'a\"'))\n\nt(x int)\n1\n", 5)),
            "\\sigma_{\\text{x} = \\text{\\textquotesingle{}a\\texttt{\\char34}"
            "\\textquotesingle{}}}(\\allowbreak \\text{t})");
}

TEST(rendertext, keepsEveryLineWithinEightyColumns) {
  std::string input = "select(product(t,t),EQ(" + std::string(200, 'c') + ",'" +
                      std::string(100, 'v') + "'))\n\nt(";
  for (int k = 0; k < 30; ++k) input += (k ? ", c" : "c") + std::to_string(k) + " char(5)";
  input += ")\n";
  for (int k = 0; k < 30; ++k) input += (k ? ",'" : "'") + std::string(20, 'x') + "'";
  input += "\n" + std::string(300, 'z') + "\n";
  const std::string text = rendertext(explain(input, 5));
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    EXPECT_LE(cut(line, 80), line) << line;
    EXPECT_EQ(cut(line, 80), line) << line;
    start = end + 1;
  }
}

TEST(explainjson, isValidUtf8WhateverTheInputBytes) {
  const std::string json =
      explainjson(std::string("t\xFF\0\n\nt\xFF\0(a\x80 char(2))\n'\xC3',\x01\n", 28), 5);
  ASSERT_EQ(json.back(), '\n');
  for (size_t i = 0; i + 1 < json.size();) {
    const size_t length = utf8length(json, i);
    ASSERT_GT(length, 0u) << "at " << i;
    ASSERT_GE(static_cast<unsigned char>(json[i]), 0x20) << "at " << i;
    i += length;
  }
}

}  // namespace
}  // namespace relalg
