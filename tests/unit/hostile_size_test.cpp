// Large inputs: a 10 MB single-line query and an input of 10,000 tables, each handled quickly.
#include <gtest/gtest.h>

#include <string>

#include "driver/run.h"
#include "hostile_support.h"

namespace relalg {
namespace {

constexpr size_t tenmegabytes = size_t{10} << 20;

using hostile::repeated;

// Fails when the run took longer than linear work on its input needs.
void quickly(hostile::clock::time_point start) {
  EXPECT_LT(hostile::secondssince(start), hostile::timebound);
}

TEST(largeinput, tenMegabyteTableName) {
  const auto start = hostile::clock::now();
  const std::string name(tenmegabytes, 'n');
  const std::string table = name + "(a int)\n1\n\n";
  EXPECT_EQ(run(name + "\n\n" + table), name + "\n\n" + table + table);
  quickly(start);
}

TEST(largeinput, tenMegabyteProjectList) {
  const auto start = hostile::clock::now();
  // Names no column bears add no column; the one at the end does.
  const std::string query = "project(R," + repeated("zz,", tenmegabytes / 3) + "a)";
  const std::string tables = "R(a int, b int)\n2,0\n1,0\n2,5\n";
  EXPECT_EQ(run(query + "\n\n" + tables), query + "\n\n" + tables + "\n(a int)\n1\n2\n\n");
  quickly(start);
}

TEST(largeinput, tenMegabyteConstant) {
  const auto start = hostile::clock::now();
  const std::string value(tenmegabytes, 'v');
  const std::string query = "select(R,EQ(b,'" + value + "'))";
  const std::string tables = "R(b char(1))\n'" + value + "'\n'w'\n";
  EXPECT_EQ(run(query + "\n\n" + tables),
            query + "\n\n" + tables + "\nR(b char(1))\n'" + value + "'\n\n");
  quickly(start);
}

TEST(largeinput, tenThousandTables) {
  const auto start = hostile::clock::now();
  std::string input = "union(t9999,union(t0,t4321))\n\n";
  std::string expected = input;
  for (int i = 0; i < 10000; ++i) {
    const std::string table = "t" + std::to_string(i) + "(a int)\n" + std::to_string(i) + "\n";
    input += table + "\n";
    expected += table + "\n";
  }
  EXPECT_EQ(run(input), expected + "t9999(a int)\n0\n4321\n9999\n\n");
  quickly(start);
}

}  // namespace
}  // namespace relalg
