// Texts shown in a terminal and in JSON: UTF-8 kept, everything else escaped, widths kept.
#include <gtest/gtest.h>

#include <string>

#include "explain/jsonrender.h"
#include "explain/printable.h"

namespace relalg {
namespace {

TEST(utf8length, acceptsWellFormedSequencesOnly) {
  EXPECT_EQ(utf8length("a", 0), 1u);
  EXPECT_EQ(utf8length("\xC3\xA9", 0), 2u);          // é
  EXPECT_EQ(utf8length("\xE2\x82\xAC", 0), 3u);      // €
  EXPECT_EQ(utf8length("\xF0\x9F\x98\x80", 0), 4u);  // an emoji
  EXPECT_EQ(utf8length("\xC0\xAF", 0), 0u);          // overlong
  EXPECT_EQ(utf8length("\xED\xA0\x80", 0), 0u);      // a surrogate
  EXPECT_EQ(utf8length("\xF4\x90\x80\x80", 0), 0u);  // past U+10FFFF
  EXPECT_EQ(utf8length("\xE2\x82", 0), 0u);          // cut short
  EXPECT_EQ(utf8length("\x80", 0), 0u);              // a lone continuation
}

TEST(visible, escapesControlsAndStrayBytes) {
  EXPECT_EQ(visible("Gy\xC5\x91r"), "Gy\xC5\x91r");
  EXPECT_EQ(visible(std::string("a\0b\tc\xFF", 6)), "a\\x00b\\x09c\\xFF");
}

TEST(cut, keepsWholeCharactersAndMarksTheCut) {
  EXPECT_EQ(cut("abcdef", 6), "abcdef");
  EXPECT_EQ(cut("abcdefg", 6), "abc...");
  EXPECT_EQ(cut("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 4), "\xC3\xA9...");
}

TEST(quoted, shortensBeforeEscaping) {
  EXPECT_EQ(quoted("salery"), "\"salery\"");
  EXPECT_EQ(quoted(std::string(50, 'x'), 10), "\"" + std::string(10, 'x') + "...\"");
  EXPECT_EQ(quoted("\n", 1), "\"\\x0A\"");
}

std::string json(const std::string& s) {
  std::string out;
  appendjsonstring(out, s);
  return out;
}

TEST(appendjsonstring, writesValidUtf8AsItIsAndEscapesEveryOtherByte) {
  EXPECT_EQ(json("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(json("\n\t\r"), "\"\\n\\t\\r\"");
  EXPECT_EQ(json(std::string("\0\x7F", 2)), "\"\\u0000\\u007f\"");
  EXPECT_EQ(json("\xC3\xA9"), "\"\xC3\xA9\"");
  // Latin-2 "Győr": the stray byte alone is escaped, so \u0080 to \u00ff mean raw bytes.
  EXPECT_EQ(json("Gy\xF5r"), "\"Gy\\u00f5r\"");
  EXPECT_EQ(json("\xE2\x82"), "\"\\u00e2\\u0082\"");
}

}  // namespace
}  // namespace relalg
