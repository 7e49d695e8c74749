// Closest names: typing mistakes and letter case found, unrelated names not offered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "explain/closest.h"

namespace relalg {
namespace {

using names = std::vector<std::string_view>;

TEST(closest, findsMistypedNamesClosestFirst) {
  const names columns{"id", "name", "salary", "dept"};
  EXPECT_EQ(closest("salery", columns), names{"salary"});
  EXPECT_EQ(closest("ename", columns), names{"name"});
  EXPECT_EQ(closest("Salary", columns), names{"salary"});
  EXPECT_EQ(closest("dpet", names{"emp", "dept", "depts"}), names{"dept"});
}

TEST(closest, offersNothingUnrelatedAndNoShortGuesses) {
  EXPECT_TRUE(closest("budget", names{"id", "name", "salary"}).empty());
  EXPECT_TRUE(closest("b", names{"a", "c"}).empty());
  EXPECT_EQ(closest("B", names{"a", "b"}), names{"b"});
}

TEST(closest, namesEachCandidateOnceAndAtMostThree) {
  EXPECT_EQ(closest("emp", names{"Emp", "emp1", "Emp", "emps", "mp", "temp"}).size(), 3u);
  EXPECT_EQ(closest("emp", names{"Emp", "Emp"}), names{"Emp"});
}

TEST(closest, leavesVeryLongNamesAlone) {
  const std::string longname(1000, 'a');
  const std::string other = longname + "b";
  EXPECT_TRUE(closest(longname, names{other}).empty());
}

TEST(sameletters, ignoresCaseOnly) {
  EXPECT_TRUE(sameletters("Select", "select"));
  EXPECT_FALSE(sameletters("selec", "select"));
}

}  // namespace
}  // namespace relalg
