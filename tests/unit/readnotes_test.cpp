// The reader's notes: which silent rule applied where, and that notes change nothing read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/readnotes.h"
#include "input/tables.h"

namespace relalg {
namespace {

struct readback {
  std::vector<table> tables;
  readnotes notes;
};

readback readall(const std::string& text) {
  readback r;
  source ip(text);
  r.tables = readtables(ip, &r.notes);
  return r;
}

// Each event of the first definition as its kind, its flags and the text it concerns.
std::vector<std::string> described(const std::string& text) {
  const readback r = readall(text);
  std::vector<std::string> found;
  for (const readevent& e : r.notes.definitions.at(0).events) {
    found.push_back(std::to_string(static_cast<int>(e.kind)) + "/" + std::to_string(e.flags) + "/" +
                    std::to_string(e.column) + ":" + text.substr(e.begin, e.end - e.begin));
  }
  return found;
}

std::string key(readnote kind, readflags flags, int32_t column, const std::string& text) {
  return std::to_string(static_cast<int>(kind)) + "/" + std::to_string(flags) + "/" +
         std::to_string(column) + ":" + text;
}

TEST(readnotes, valuesSayWhichRuleReadThem) {
  const auto found = described("R(a int, b char(9))\n12abc,'x\nabc,y'\n99999999999,'z'q\n+5,''\n");
  const std::vector<std::string> expected{
      key(readnote::value, readflag::trailing, 0, "12abc"),
      key(readnote::value, readflag::unclosed, 1, "'x"),
      key(readnote::value, readflag::nodigits, 0, "abc"),
      key(readnote::value, readflag::unquoted, 1, "y'"),
      key(readnote::value, readflag::saturated, 0, "99999999999"),
      key(readnote::afterquote, 0, 1, "q"),
  };
  EXPECT_EQ(found, expected);
}

TEST(readnotes, rowsTooShortOrTooLongAndEmptyValues) {
  const auto found = described("R(a int, b int, c char(2))\n1\n1,2,'x',4,5\n,,''\n");
  const std::vector<std::string> expected{
      key(readnote::toofew, 0, 1, "1\n"),
      key(readnote::extra, 0, -1, ",4,5"),
      key(readnote::value, readflag::empty, 0, ""),
      key(readnote::value, readflag::empty, 1, ""),
  };
  EXPECT_EQ(found, expected);
}

TEST(readnotes, headersSayHowTypesAndNamesWereRead) {
  const auto found =
      described("\xEF\xBB\xBFmy emp(a text, b, c int(3), d char(4), e varchar)\n1\n");
  ASSERT_GE(found.size(), 5u);
  EXPECT_EQ(found[0], key(readnote::nameblank, 0, -1, "\xEF\xBB\xBFmy emp"));
  EXPECT_EQ(found[1], key(readnote::namebom, 0, -1, "\xEF\xBB\xBFmy emp"));
  EXPECT_EQ(found[2], key(readnote::typeasint, 0, 0, "text"));
  EXPECT_EQ(found[3], key(readnote::notype, 0, 1, ""));
  EXPECT_EQ(found[4], key(readnote::typeaschar, 0, 2, "int(3)"));
  EXPECT_EQ(found[5], key(readnote::typeasint, 0, 4, "varchar"));
}

TEST(readnotes, aHeaderReadAsARowIsOneNoteNotItsValues) {
  const auto found = described("R(a char(5), b int)\n'x',1\nS(c int, d char(2))\n3,'y'\n");
  const std::vector<std::string> expected{
      key(readnote::headerasrow, 0, -1, "S(c int, d char(2))"),
      key(readnote::value, readflag::unquoted, 0, "3,'"),
      key(readnote::afterquote, 0, 0, "y'"),
      key(readnote::toofew, 0, 1, "3,'y'\n"),
  };
  EXPECT_EQ(found, expected);
}

TEST(readnotes, aDefinitionCutBeforeItsParenthesisIsDropped) {
  const readback r = readall("R(a int)\n1\n\nstray\n");
  ASSERT_EQ(r.notes.definitions.size(), 2u);
  EXPECT_FALSE(r.notes.definitions[0].dropped);
  EXPECT_TRUE(r.notes.definitions[1].dropped);
  EXPECT_EQ(r.tables.size(), 1u);
}

TEST(readnotes, keepsAFewOfEachKindAndCountsThemAll) {
  std::string text = "R(a int)\n";
  for (int i = 0; i < 100; ++i) text += "x\n";
  const readback r = readall(text);
  const definitionnotes& d = r.notes.definitions.at(0);
  EXPECT_EQ(d.events.size(), static_cast<size_t>(readnotes::kept));
  EXPECT_EQ(d.counts.at(definitionnotes::keyof(d.events[0])).events, 100);
  EXPECT_EQ(d.counts.at(definitionnotes::keyof(d.events[0])).rows, 100);
}

TEST(readnotes, countsTheRowsOfEventsInSeveralColumns) {
  std::string text = "R(a char(3), b char(3))\n";
  for (int i = 0; i < 10; ++i) text += " 'x', 'y'\n";
  const readback r = readall(text);
  const definitionnotes& d = r.notes.definitions.at(0);
  const definitionnotes::tally& t = d.counts.at(definitionnotes::keyof(d.events[0]));
  EXPECT_EQ(t.events, 20);
  EXPECT_EQ(t.rows, 10);
}

TEST(readnotes, notesChangeNothingThatIsRead) {
  const std::string text = "R(a int, b char(3))\n1,'x\n 2 , 'y' \n3\n\nS(c x)\n7,8\n";
  const readback noted = readall(text);
  source ip(text);
  const std::vector<table> plain = readtables(ip, nullptr);
  ASSERT_EQ(plain.size(), noted.tables.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    ASSERT_EQ(plain[i].columncount(), noted.tables[i].columncount());
    for (int32_t row = 0; row < plain[i].rowcount(); ++row) {
      for (size_t k = 0; k < plain[i].columns().size(); ++k) {
        EXPECT_EQ(plain[i].columns()[k].printvalue(row),
                  noted.tables[i].columns()[k].printvalue(row));
      }
    }
  }
}

TEST(lookslikeheader, wantsANameAParenthesisAndAType) {
  EXPECT_TRUE(lookslikeheader("dept(dno int, dname char(12))"));
  EXPECT_TRUE(lookslikeheader("d (x char(1))"));
  EXPECT_FALSE(lookslikeheader("'a(int',1"));
  EXPECT_FALSE(lookslikeheader("(a int)"));
  EXPECT_FALSE(lookslikeheader("f(x, y)"));
}

}  // namespace
}  // namespace relalg
