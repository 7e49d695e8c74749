// Reading tables: rows as printed and the lines they keep, the quick and the full readers
// against each other, and the line count they rest on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "input/source.h"
#include "model_support.h"

namespace relalg {
namespace {

using testing::readone;
using testing::rowtext;

std::string printedlines(const table& t) {
  std::string lines;
  t.lines()->print(0, static_cast<size_t>(t.rowcount()), [&](auto piece) { lines += piece; });
  return lines;
}

// Rows kept as read must be exactly the rows as printed, and common rows should qualify.
TEST(reading, rowsKeptAsReadAreThePrintedRows) {
  std::mt19937 random(5);
  const char* fields[] = {"0", "7",          "-7",  "42", "007",   "-0",   "+5", " 7", "",
                          "x", "2147483647", "'a'", "''", "'a,b'", "'a'b", "'a", "b"};
  int kept = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string text = "R(a int, b char(2))\n";
    for (size_t rows = random() % 3; rows > 0; --rows) {
      text += fields[random() % 17];
      if (random() % 8) text += std::string(",") + fields[random() % 17];
      if (random() % 8 == 0) text += ",1";
      if (rows > 1 || random() % 8) text += "\n";
    }
    const table t = readone(text);
    std::string printed;
    for (int32_t row = 0; row < t.rowcount(); ++row) {
      printed += t.columns()[0].printvalue(row);
      printed += ',';
      printed += t.columns()[1].printvalue(row);
      printed += '\n';
    }
    if (t.lines()) {
      ASSERT_EQ(printedlines(t), printed) << text;
      kept += t.rowcount() > 0;
      // Rows kept out of order print as their own lines still.
      if (t.rowcount() > 0) {
        table u = t;
        u.gather({t.rowcount() - 1, 0, t.rowcount() - 1});
        const std::string first = printed.substr(0, printed.find('\n') + 1);
        const std::string last = printed.substr(printed.rfind('\n', printed.size() - 2) + 1);
        ASSERT_EQ(printedlines(u),
                  (t.rowcount() == 1 ? first : last) + first + (t.rowcount() == 1 ? first : last));
      }
    }
  }
  EXPECT_GT(kept, 10);
}

// Reads tables the quick way and the full way, which takes notes: both must give the same
// tables, rows, values and printed lines. Answers the number of rows of the first.
int32_t readbothways(const std::string& text) {
  readnotes notes;
  const std::vector<table> q = testing::readtables(text);
  const std::vector<table> f = testing::readtables(text, &notes);
  EXPECT_EQ(q.size(), f.size());
  if (q.empty() || q.size() != f.size()) return -1;
  // A large table is named by its size: all of it would bury the failure.
  const std::string shown = text.size() < 2000 ? text : std::to_string(text.size()) + " bytes";
  for (size_t i = 0; i < q.size(); ++i) {
    EXPECT_EQ(q[i].rowcount(), f[i].rowcount()) << shown;
    EXPECT_EQ(q[i].lines().has_value(), f[i].lines().has_value()) << shown;
    for (int32_t row = 0; row < std::min(q[i].rowcount(), f[i].rowcount()); ++row) {
      EXPECT_EQ(rowtext(q[i], row), rowtext(f[i], row)) << shown;
      if (::testing::Test::HasFailure()) break;
    }
  }
  return q.front().rowcount();
}

// The lines up to an empty line, counted sixteen bytes at a time, against a count line by
// line: empty lines and line feeds at every place within and across blocks, and texts long
// enough for the counts kept per byte to be summed along the way.
TEST(source, linesuntilemptyCountsAsLineByLine) {
  std::mt19937 random(21);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t length =
        round % 20 == 0 ? 20000 + random() % 100 : random() % (round % 10 == 0 ? 9000 : 100);
    const unsigned feedevery = 1 + random() % 40;
    for (size_t i = 0; i < length; ++i) {
      // Now and then short lines throughout, so that one place of the sixteen meets hundreds.
      const bool feed = round % 20 == 0 ? i % 3 == 2 : random() % feedevery == 0;
      text += feed ? '\n' : static_cast<char>('a' + random() % 3);
    }
    const size_t from = text.empty() ? 0 : random() % text.size();
    size_t lines = 1;
    size_t end = text.size();
    if (from < text.size() && text[from] == '\n') {
      lines = 0;
      end = from;
    } else {
      for (size_t at = from; at < text.size(); ++at) {
        if (text[at] != '\n') continue;
        if (at + 1 < text.size() && text[at + 1] == '\n') {
          end = at + 1;
          break;
        }
        ++lines;
      }
    }
    source ip(text);
    ip.moveto(from);
    const source::linespan span = ip.linesuntilempty();
    ASSERT_EQ(span.lines, lines) << round;
    ASSERT_EQ(span.end, end) << round;
  }
}

// Rows standing as printed are read the quick way unless notes are taken: both ways must
// read every row alike, whatever mix of plain and odd fields it holds.
TEST(reading, quickAndFullReadingAgree) {
  std::mt19937 random(9);
  const char* fields[] = {"0", "7", "-7", "42", "007", "-0", "+5", " 7", "", "x", "12x",
                          "999999999", "1000000000", "-2147483648", "2147483648", "'a'", "''",
                          "'a,b'", "'a'b", "'a", "b", "'x y'", "'-'",
                          // Integers of up to nine digits, closed by every kind of byte.
                          "1234567", "-12345678", "123456789", "9876543x", "3/", "5:", "20\xff",
                          // Texts past eight bytes, closed or not, and bytes above 127.
                          "'abcdefghijklmnop'", "'abcdefghijk", "'abcdefg'hijkl",
                          "'\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xff'"};
  const size_t count = sizeof fields / sizeof *fields;
  for (int round = 0; round < 6000; ++round) {
    std::string text = "R(a int, b char(2), c int)\n";
    for (size_t rows = random() % 5; rows > 0; --rows) {
      for (size_t k = 0, values = 1 + random() % 4; k < values; ++k) {
        text += (k ? "," : "") + std::string(fields[random() % count]);
      }
      if (rows > 1 || random() % 8) text += "\n";
    }
    readbothways(text);
    if (::testing::Test::HasFailure()) return;
  }
}

// A table of many lines is read in two halves at once: it must read as the full way reads
// it, one line at a time, wherever odd rows fall and however the table ends.
TEST(reading, aLargeTableReadsAsOneReadLineByLine) {
  const testing::splitfrom small(512);
  std::mt19937 random(18);
  const char* odd[] = {"007,'a',1", "1,'b", "'c',2,3", "4", "5,'d',6,7", "x,'e'x,8"};
  for (int round = 0; round < 8; ++round) {
    std::string text = "R(a int, b char(2), c int)\n";
    const int rows = 512 + static_cast<int>(random() % 200);
    // None, one in the first half, one in the second, or many.
    const int oddevery = round % 4 == 0 ? 0 : round % 4 == 3 ? 997 : rows;
    const int oddrow = round % 4 == 1 ? rows / 5 : rows * 4 / 5;
    for (int row = 0; row < rows; ++row) {
      if (oddevery > 0 && (row % oddevery == oddrow % oddevery)) {
        text += odd[random() % 6];
      } else {
        text += std::to_string(static_cast<int32_t>(random())) + ",'" +
                std::string(random() % 12, static_cast<char>('a' + row % 26)) + "'," +
                std::to_string(row);
      }
      text += "\n";
    }
    // The end of the input without its last line feed, an empty line before another table,
    // or the end right after the last line.
    if (round % 3 == 0) text.pop_back();
    if (round % 3 == 1) text += "\nS(x int)\n1\n";
    ASSERT_EQ(readbothways(text), rows) << "round " << round;
    EXPECT_EQ(readone(text).lines().has_value(), oddevery == 0 && round % 3 != 0)
        << "round " << round;
  }
}

// Texts are kept in eight bytes, their length in sixteen bits up to 65534 and in front of a
// copy of their bytes from 65535 on: every length on both sides of that reads, prints, sorts
// and is added whole, by both readings.
TEST(reading, aTextOfAnyLengthIsKeptWhole) {
  const size_t lengths[] = {0, 1, 65534, 65535, 65536, 200000};
  std::string text = "R(b char(9), a int)\n";
  for (size_t i = 0; i < 6; ++i) {
    text +=
        "'" + std::string(lengths[i], static_cast<char>('z' - i)) + "'," + std::to_string(i) + "\n";
  }
  ASSERT_EQ(readbothways(text), 6);
  const table read = readone(text);
  ASSERT_TRUE(read.lines().has_value());
  column texts = read.columns()[0];
  column numbers = read.columns()[1];
  for (int32_t row = 0; row < 6; ++row) {
    const std::string value = testing::value(texts, row);
    ASSERT_EQ(value.size(), lengths[row]);
    EXPECT_EQ(value.find_first_not_of(static_cast<char>('z' - row)), std::string::npos);
    texts.addvalue(value);  // copied into the column's own blocks
    numbers.addvalue(std::to_string(6 + row));
  }
  table t("R", {texts, numbers});
  t.sortunique();  // by the texts: the empty one, then "u..." up to "y"; each twice
  const size_t expected[] = {0, 200000, 65536, 65535, 65534, 1};
  ASSERT_EQ(t.rowcount(), 12);
  for (int32_t row = 0; row < 12; ++row) {
    EXPECT_EQ(testing::value(t.columns()[0], row).size(), expected[row / 2]) << row;
  }
}

// Ten digits within the range stand as printed; past it, or with a leading zero, they do not.
TEST(reading, tenDigitsInRangeStandAsPrinted) {
  EXPECT_TRUE(readone("R(a int)\n1968221965\n-2147483648\n2147483647\n").lines());
  EXPECT_FALSE(readone("R(a int)\n2147483648\n").lines());
  EXPECT_FALSE(readone("R(a int)\n-2147483649\n").lines());
  EXPECT_FALSE(readone("R(a int)\n0196822196\n").lines());
  EXPECT_EQ(readbothways("R(a int, b int)\n1968221965,-1968221965\n12345678901,7\n"), 2);
}

// A text never runs past its line, wherever the line feed falls among the bytes looked at
// together, even when the next line would close it and complete the row.
TEST(reading, aTextEndsAtItsLineWhateverItsLength) {
  for (size_t length = 0; length < 40; ++length) {
    for (const std::string& after : {std::string("',7\n"), std::string("x',7\n"), std::string()}) {
      const std::string text =
          "R(a int, b char(2), c int)\n1,'" + std::string(length, 'q') + "\n" + after;
      ASSERT_EQ(readbothways(text), after.empty() ? 1 : 2) << text;
    }
  }
}

// An integer ends at the first byte that is no digit, whichever it is, in both readings, with
// or without a sign, and with the line's last value near the end of the input.
TEST(reading, anIntegerEndsAtAnyByteThatIsNoDigit) {
  for (size_t length = 1; length <= 9; ++length) {
    for (int byte = 0; byte < 256; ++byte) {
      for (const char* sign : {"", "-"}) {
        const std::string digits = sign + std::string("987654321").substr(9 - length);
        const std::string text = "R(a int, b char(2), c int)\n" + digits +
                                 std::string(1, static_cast<char>(byte)) + ",'x'," + digits +
                                 "\n5,'y'," + digits + "\n";
        readbothways(text);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

TEST(reading, aDefinitionCutBeforeItsParenthesisIsNoTable) {
  EXPECT_TRUE(testing::readtables("stray text\n").empty());
  EXPECT_EQ(testing::readtables("stray\n\nR(a int)\n1\n").size(), 1u);
}

}  // namespace
}  // namespace relalg
