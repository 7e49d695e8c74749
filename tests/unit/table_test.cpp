// Tables: shared columns between copies, copycolumn, and distinct rows against plain sorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/rowhash.h"
#include "model/table.h"

namespace relalg {
namespace {

table readone(const std::string& text) {
  source ip(text);
  auto t = table::read(ip);
  EXPECT_TRUE(t.has_value());
  return t ? *t : table();
}

std::string rowtext(const table& t, int32_t row) {
  std::string out;
  for (const auto& c : t.columns) {
    out += c->printvalue(row);
    out += ',';
  }
  return out;
}

TEST(table, copiesShareColumnsAndClonesDoNot) {
  const table source = readone("R(a int, b char(2))\n1,'x'\n2,'y'\n3,'z'\n");
  table copy = source;
  copy.eraserow(0);
  EXPECT_EQ(source.rowcount(), 2);
  table built;
  built.addcolumn(source.copycolumn("b"));
  built.eraserow(0);
  EXPECT_EQ(source.rowcount(), 2);
  EXPECT_EQ(built.rowcount(), 1);
}

TEST(table, copycolumnTakesTheFirstOfANameExactly) {
  table t = readone("R(a int, a char(4), B int)\n1,'x',2\n");
  const auto first = t.copycolumn("a");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->width(), 0);
  EXPECT_FALSE(t.copycolumn("b"));
  t.addcolumn(t.copycolumn("missing"));
  EXPECT_EQ(t.columncount(), 3);  // a missing column is refused
  EXPECT_EQ(table().rowcount(), 0);
  EXPECT_EQ(table().comparerows(0, 0), 0);
}

// Rows kept as read must be exactly the rows as printed, and common rows should qualify.
TEST(table, rowsKeptAsReadAreThePrintedRows) {
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
    source ip(text);
    const auto t = table::read(ip);
    ASSERT_TRUE(t.has_value());
    std::string printed;
    for (int32_t row = 0; row < t->rowcount(); ++row) {
      printed += t->columns[0]->printvalue(row);
      printed += ',';
      printed += t->columns[1]->printvalue(row);
      printed += '\n';
    }
    if (t->printed) {
      std::string lines;
      t->printed->print([&](std::string_view l) { lines += l; });
      ASSERT_EQ(lines, printed) << text;
      kept += t->rowcount() > 0;
      // Rows kept out of order print as their own lines still.
      if (t->rowcount() > 0) {
        table u = *t;
        u.keeprows({t->rowcount() - 1, 0, t->rowcount() - 1});
        std::string some;
        u.printed->print([&](std::string_view l) { some += l; });
        const std::string first = printed.substr(0, printed.find('\n') + 1);
        const std::string last = printed.substr(printed.rfind('\n', printed.size() - 2) + 1);
        ASSERT_EQ(some, (t->rowcount() == 1 ? first : last) + first +
                            (t->rowcount() == 1 ? first : last));
      }
    }
  }
  EXPECT_GT(kept, 10);
}

// Reads a table the quick way and the full way, which takes notes: both must give the same
// rows, values, end and printed lines. Answers the number of rows.
int32_t readbothways(const std::string& text) {
  source quick(text);
  source full(text);
  readnotes notes;
  const auto q = table::read(quick);
  const auto f = table::read(full, &notes);
  EXPECT_TRUE(q && f);
  if (!q || !f) return -1;
  // A large table is named by its size: all of it would bury the failure.
  const std::string shown = text.size() < 2000 ? text : std::to_string(text.size()) + " bytes";
  EXPECT_EQ(q->rowcount(), f->rowcount()) << shown;
  EXPECT_EQ(quick.position(), full.position()) << shown;
  EXPECT_EQ(q->printed.has_value(), f->printed.has_value()) << shown;
  for (int32_t row = 0; row < std::min(q->rowcount(), f->rowcount()); ++row) {
    EXPECT_EQ(rowtext(*q, row), rowtext(*f, row)) << shown;
    if (::testing::Test::HasFailure()) break;
  }
  return q->rowcount();
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
TEST(table, quickAndFullReadingAgree) {
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
TEST(table, aLargeTableReadsAsOneReadLineByLine) {
  std::mt19937 random(18);
  const char* odd[] = {"007,'a',1", "1,'b", "'c',2,3", "4", "5,'d',6,7", "x,'e'x,8"};
  for (int round = 0; round < 8; ++round) {
    std::string text = "R(a int, b char(2), c int)\n";
    const int rows = 65536 + static_cast<int>(random() % 2000);
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
    EXPECT_EQ(readone(text).printed.has_value(), oddevery == 0 && round % 3 != 0)
        << "round " << round;
  }
}

// Texts are kept in eight bytes, their length in sixteen bits up to 65534 and in front of a
// copy of their bytes from 65535 on: every length on both sides of that reads, prints, sorts
// and is added whole, by both readings.
TEST(table, aTextOfAnyLengthIsKeptWhole) {
  const size_t lengths[] = {0, 1, 65534, 65535, 65536, 200000};
  std::string text = "R(b char(9), a int)\n";
  for (size_t i = 0; i < 6; ++i) {
    text +=
        "'" + std::string(lengths[i], static_cast<char>('z' - i)) + "'," + std::to_string(i) + "\n";
  }
  ASSERT_EQ(readbothways(text), 6);
  table t = readone(text);
  ASSERT_TRUE(t.printed.has_value());
  for (int32_t row = 0; row < 6; ++row) {
    const std::string value = t.columns[0]->value(row);
    ASSERT_EQ(value.size(), lengths[row]);
    EXPECT_EQ(value.find_first_not_of(static_cast<char>('z' - row)), std::string::npos);
    t.columns[0]->addvalue(value);  // copied into the column's own blocks
    t.columns[1]->addvalue(std::to_string(6 + row));
  }
  t.printed.reset();
  t.sortunique();  // by the texts: the empty one, then "u..." up to "y"; each twice
  const size_t expected[] = {0, 200000, 65536, 65535, 65534, 1};
  ASSERT_EQ(t.rowcount(), 12);
  for (int32_t row = 0; row < 12; ++row) {
    EXPECT_EQ(t.columns[0]->value(row).size(), expected[row / 2]) << row;
  }
}

// Ten digits within the range stand as printed; past it, or with a leading zero, they do not.
TEST(table, tenDigitsInRangeStandAsPrinted) {
  EXPECT_TRUE(readone("R(a int)\n1968221965\n-2147483648\n2147483647\n").printed);
  EXPECT_FALSE(readone("R(a int)\n2147483648\n").printed);
  EXPECT_FALSE(readone("R(a int)\n-2147483649\n").printed);
  EXPECT_FALSE(readone("R(a int)\n0196822196\n").printed);
  EXPECT_EQ(readbothways("R(a int, b int)\n1968221965,-1968221965\n12345678901,7\n"), 2);
}

// A text never runs past its line, wherever the line feed falls among the bytes looked at
// together, even when the next line would close it and complete the row.
TEST(table, aTextEndsAtItsLineWhateverItsLength) {
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
TEST(table, anIntegerEndsAtAnyByteThatIsNoDigit) {
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

TEST(table, readReturnsNothingForADefinitionCutBeforeItsParenthesis) {
  source ip("stray text\n");
  EXPECT_FALSE(table::read(ip).has_value());
}

// The selection sort with removal of neighbouring duplicates, step by step, as the slow
// reference for the fast sortunique.
void selectionsortunique(table& t) {
  int32_t n = t.rowcount();
  for (int32_t i = 0; i < n - 1; ++i) {
    int32_t m = i;
    for (int32_t j = i; j < n; ++j) {
      if (t.comparerows(j, m) < 0) m = j;
    }
    t.swaprows(i, m);
  }
  for (int32_t k = 0; k < n - 1;) {
    if (t.comparerows(k, k + 1) == 0) {
      t.eraserow(k);
      --n;
    } else {
      ++k;
    }
  }
}

TEST(table, sortuniqueMatchesASelectionSort) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    std::string text = "R(a int, b char(1), c int)\n";
    const int rows =
        static_cast<int>(random() % 300);  // past the size where sorting turns to radix
    for (int i = 0; i < rows; ++i) {
      const int32_t wide[] = {-2147483647 - 1, -1, 0, 70000, 2147483647};
      text += std::to_string(wide[random() % 5]) + ",'" + "ab\xc3"[random() % 3] + "'," +
              std::to_string(static_cast<int>(random() % 3) - 1) + "\n";
    }
    const table fast = readone(text);
    table slow = readone(text);
    table sorted;
    sorted.addclones(fast);
    sorted.sortunique();
    selectionsortunique(slow);
    ASSERT_EQ(sorted.rowcount(), slow.rowcount());
    for (int32_t row = 0; row < slow.rowcount(); ++row) {
      EXPECT_EQ(rowtext(sorted, row), rowtext(slow, row));
    }
    EXPECT_EQ(fast.rowcount(), rows);  // the source of the clones is untouched
  }
}

TEST(table, sortuniqueOnAFewRows) {
  table t = readone("R(a int)\n3\n1\n3\n2\n1\n");
  t.sortunique();
  ASSERT_EQ(t.rowcount(), 3);
  EXPECT_EQ(rowtext(t, 0) + rowtext(t, 1) + rowtext(t, 2), "1,2,3,");
  table one = readone("R(a int)\n5\n");
  one.sortunique();
  EXPECT_EQ(one.rowcount(), 1);
  table none;
  none.sortunique();
  EXPECT_EQ(none.rowcount(), 0);
}

// The reference: every row sorted by comparerows, the first of each run of equals kept.
std::vector<int32_t> sortedplainly(const table& t) {
  std::vector<int32_t> rows(static_cast<size_t>(t.rowcount()));
  std::iota(rows.begin(), rows.end(), 0);
  std::stable_sort(rows.begin(), rows.end(),
                   [&](int32_t a, int32_t b) { return t.comparerows(a, b) < 0; });
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [&](int32_t a, int32_t b) { return t.comparerows(a, b) == 0; }),
             rows.end());
  return rows;
}

// A table of the given rows whose values come from pools of the given sizes: small pools
// give few distinct rows, large ones many. Texts differ in length, in bytes past 127 and in
// a trailing byte, so that neither hashing nor comparing may cut them short.
std::string randomtable(std::mt19937& random, int rows, uint32_t pool) {
  std::string text = "R(t char(4), n int, u char(2))\n";
  const std::string bytes[] = {"", "a", "a\xc3", "ab", "b", "\xff"};
  for (int i = 0; i < rows; ++i) {
    const uint32_t pick = random() % pool;
    text += "'" + bytes[pick % 6] + std::to_string(pick / 6 % 5) + "',";
    text += std::to_string(static_cast<int32_t>(random() % pool) - 2147483647 * (pick % 2)) + ",";
    text += "'" + bytes[random() % (pool < 6 ? pool : 6)] + "'\n";
  }
  return text;
}

TEST(table, hashedRowsSortAsAllRowsSortPlainly) {
  std::mt19937 random(15);
  int hashed = 0;
  for (int round = 0; round < 60; ++round) {
    const int rows = 4096 + static_cast<int>(random() % 4000);
    // From one value per column to more distinct rows than hashing keeps.
    const uint32_t pool = 1u << (random() % 14);
    const table t = readone(randomtable(random, rows, pool));
    ASSERT_EQ(t.rowcount(), rows);
    const std::vector<int32_t> expected = sortedplainly(t);
    hashed += firstdistinct(t, static_cast<size_t>(rows) / 8).has_value();
    ASSERT_EQ(t.distinctrows().size(), expected.size()) << "round " << round;
    const std::vector<int32_t> got = t.distinctrows();
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(t.comparerows(got[i], expected[i]), 0) << "round " << round << " row " << i;
    }
  }
  EXPECT_GT(hashed, 10);  // both ways are taken
  EXPECT_LT(hashed, 50);
}

// Many rows are kept on two threads, the columns dealt out between them: every column must
// end up with the rows asked for, in their order, repeats included.
TEST(table, manyRowsKeptInEveryColumn) {
  std::mt19937 random(19);
  std::string text = "R(a int, b char(3), c int, d char(1))\n";
  const int rows = 70000;
  for (int row = 0; row < rows; ++row) {
    text += std::to_string(row) + ",'" + std::to_string(row % 997) + "'," + std::to_string(-row) +
            ",'" + std::string(1, static_cast<char>('a' + row % 26)) + "'\n";
  }
  const table source = readone(text);
  table kept;
  kept.addclones(source);
  std::vector<int32_t> picked;
  for (int i = 0; i < rows + 5000; ++i) picked.push_back(static_cast<int32_t>(random() % rows));
  kept.keeprows(picked);
  ASSERT_EQ(kept.rowcount(), rows + 5000);
  ASSERT_TRUE(kept.printed.has_value());
  for (size_t i = 0; i < picked.size(); ++i) {
    ASSERT_EQ(rowtext(kept, static_cast<int32_t>(i)), rowtext(source, picked[i])) << i;
    ASSERT_EQ(kept.printed->line(static_cast<int32_t>(i)), source.printed->line(picked[i]));
  }
}

// A table this large is hashed in two halves at once: rows only the second half holds must
// follow the first half's, in row order, and no row may be kept twice.
TEST(table, firstdistinctOfTwoHalvesIsTheFirstOfEachInRowOrder) {
  std::string text = "R(a int, b char(2))\n";
  const int rows = 140000;
  for (int row = 0; row < rows; ++row) {
    // Values 0-99 throughout, 100-149 from the middle on, 150 once as the last row.
    const int value = row == rows - 1 ? 150 : row < rows / 2 ? row % 100 : row % 150;
    text += std::to_string(value % 7) + ",'" + std::to_string(value) + "'\n";
  }
  const table t = readone(text);
  const auto first = firstdistinct(t, static_cast<size_t>(rows) / 8);
  ASSERT_TRUE(first.has_value());
  std::vector<int32_t> expected;
  for (int32_t row = 0; row < 100; ++row) expected.push_back(row);
  for (int32_t row = rows / 2; row < rows / 2 + 150; ++row) {
    if (row % 150 >= 100) expected.push_back(row);
  }
  expected.push_back(rows - 1);
  EXPECT_EQ(*first, expected);
  EXPECT_FALSE(firstdistinct(t, 150).has_value());  // 151 distinct rows are one too many
  const std::vector<int32_t> sorted = t.distinctrows();
  const std::vector<int32_t> plain = sortedplainly(t);
  ASSERT_EQ(sorted.size(), plain.size());
  for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(t.comparerows(sorted[i], plain[i]), 0);
}

// Kept rows are compared by copies of their values, long texts by reference: around those
// lengths, equal texts must be one row and texts that differ only in their last byte two.
TEST(table, firstdistinctTellsLongTextsApartByTheirLastByte) {
  std::string text = "R(a char(0), b int)\n";
  const size_t lengths[] = {63, 64, 65, 200, 65534, 65535, 70000};
  std::vector<int32_t> expected;
  int32_t row = 0;
  for (const size_t length : lengths) {
    for (const char last : {'x', 'y', 'x'}) {
      if (last == 'y' || row % 3 == 0) expected.push_back(row);
      text += "'" + std::string(length - 1, 'a') + last + "',7\n";
      ++row;
    }
  }
  const table t = readone(text);
  const auto first = firstdistinct(t, static_cast<size_t>(row));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, expected);
}

TEST(table, firstdistinctKeepsTheFirstOfEachInRowOrder) {
  const table t = readone("R(a int, b char(1))\n2,'x'\n1,'y'\n2,'x'\n2,'y'\n1,'y'\n2,'x\n");
  const auto first = firstdistinct(t, 4);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, (std::vector<int32_t>{0, 1, 3}));
  EXPECT_FALSE(firstdistinct(t, 2).has_value());  // a third distinct row is one too many
  EXPECT_TRUE(firstdistinct(table(), 0).has_value());
  // Nearly every one of the first 4096 rows distinct: given up, however many may differ.
  std::string text = "R(a int)\n";
  for (int row = 0; row < 5000; ++row) text += std::to_string(row % 3600) + "\n";
  EXPECT_FALSE(firstdistinct(readone(text), 5000).has_value());
  text = "R(a int)\n";
  for (int row = 0; row < 5000; ++row) text += std::to_string(row % 3584) + "\n";
  EXPECT_EQ(firstdistinct(readone(text), 5000)->size(), 3584u);
}

}  // namespace
}  // namespace relalg
