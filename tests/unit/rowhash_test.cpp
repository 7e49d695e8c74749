// Equality and hashes of texts a word at a time, at every length and every place.
#include <gtest/gtest.h>

#include <string>

#include "model/rowhash.h"

namespace relalg {
namespace {

TEST(sametext, agreesWithByteByByteAtEveryLengthAndPlace) {
  // Texts inside a larger buffer, so that reading past either end would read other bytes.
  const std::string buffer = "##" + std::string(40, 'a') + "##";
  for (size_t length = 0; length <= 40; ++length) {
    const std::string_view a(buffer.data() + 2, length);
    std::string other(buffer);
    const std::string_view b(other.data() + 2, length);
    EXPECT_TRUE(sametext(a, b)) << length;
    for (size_t at = 0; at < length; ++at) {
      other[2 + at] = '\xe1';  // above 127, as bytes of UTF-8 are
      EXPECT_FALSE(sametext(a, b)) << length << " " << at;
      other[2 + at] = 'a';
    }
    if (length > 0) {
      EXPECT_FALSE(sametext(a, b.substr(1)));
    }
  }
}

// Every byte of a text goes into its hash, the last few too, which are read apart from the
// words before them; only the text's own bytes are read.
TEST(hashbytes, everyByteCountsAtEveryLength) {
  const std::string buffer = "##" + std::string(40, 'a') + "##";
  for (size_t length = 0; length <= 40; ++length) {
    std::string other(buffer);
    const std::string_view a(buffer.data() + 2, length);
    const std::string_view b(other.data() + 2, length);
    other[1] = other[2 + length] = '!';  // the bytes beside it do not count
    EXPECT_EQ(hashbytes(a), hashbytes(b)) << length;
    for (size_t at = 0; at < length; ++at) {
      other[2 + at] = '\xe1';
      EXPECT_NE(hashbytes(a), hashbytes(b)) << length << " " << at;
      other[2 + at] = 'a';
    }
  }
}

}  // namespace
}  // namespace relalg
