// NUL bytes and bytes above 127 in names, values and the query: ordinary, echoed exactly.
#include <gtest/gtest.h>

#include <string>

#include "driver/run.h"

namespace relalg {
namespace {

using namespace std::string_literals;

TEST(hostilebytes, nulAndHighBytesEchoedAndMatched) {
  const std::string header = "t\0\xff(c\0\xe9 char(5), n\x7f\xfe int)\n"s;
  const std::string rows = "'v\0\x80',1\n'w\xff',2\n"s;
  const std::string query = "select(t\0\xff,EQ(c\0\xe9,'v\0\x80'))\n"s;
  EXPECT_EQ(run(query + "\n" + header + rows),
            query + "\n" + header + rows + "\n" + header + "'v\0\x80',1\n\n"s);
}

TEST(hostilebytes, highBytesInQuotesKeepBlanksAndCompareUnsigned) {
  const std::string input =
      "select(t,LT(c,'\x80 \xff'))\n\nt(c char(2))\n'a'\n'\x80 \xfe'\n'\xff'\n"s;
  // 0x80 and above sort after every ASCII byte.
  EXPECT_EQ(run(input), input + "\nt(c char(2))\n'a'\n'\x80 \xfe'\n\n"s);
  const std::string sorted = "project(t,c)\n\nt(c char(2))\n'\xff'\n'\x80'\n'\0'\n'a'\n"s;
  EXPECT_EQ(run(sorted), sorted + "\n(c char(2))\n'\0'\n'a'\n'\x80'\n'\xff'\n\n"s);
}

TEST(hostilebytes, byte255IsNoEndOfInput) {
  // 0xff where a reader peeks for the end: first byte of a name, of a value, and the last byte.
  const std::string input = "\xff\n\n\xff(\xff)\n\xff\xff\n1\xff"s;
  EXPECT_EQ(run(input), "\xff\n\n\xff(\xff int)\n0\n1\n\n\xff(\xff int)\n0\n1\n\n"s);
  const std::string text = "\xff\n\n\xff(c char(1))\n\xff\xff"s;
  EXPECT_EQ(run(text), "\xff\n\n\xff(c char(1))\n'\xff'\n\n\xff(c char(1))\n'\xff'\n\n"s);
}

TEST(hostilebytes, nulOnlyInput) {
  const std::string input(5, '\0');
  EXPECT_EQ(run(input), input + "\n()\n\n");
}

}  // namespace
}  // namespace relalg
