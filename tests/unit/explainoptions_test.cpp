// The command line of relalg-explain: forms, row counts and the mistakes it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "explain/options.h"

namespace relalg {
namespace {

bool parsed(std::vector<const char*> words, options& o, std::string& error) {
  words.insert(words.begin(), "relalg-explain");
  return parseoptions(static_cast<int>(words.size()), words.data(), o, error);
}

TEST(parseoptions, readsTheFormTheRowsAndTheInput) {
  options o;
  std::string error;
  ASSERT_TRUE(parsed({"--rows", "0", "--json", "in.txt"}, o, error));
  EXPECT_EQ(o.form, outputform::json);
  EXPECT_EQ(o.rows, 0);
  EXPECT_EQ(o.input, "in.txt");
  options plain;
  ASSERT_TRUE(parsed({"in.txt"}, plain, error));
  EXPECT_EQ(plain.form, outputform::text);
  EXPECT_EQ(plain.rows, 5);
}

TEST(parseoptions, refusesWhatItCannotRead) {
  for (const auto& words : std::vector<std::vector<const char*>>{
           {},
           {"a", "b"},
           {"--rows", "x", "a"},
           {"--rows", "-1", "a"},
           {"--rows", "99999999999", "a"},
           {"a", "--rows"},
           {"--yaml", "a"},
           {"--sql", "--dialect=mysql", "a"},
           {"--sql", "--dialect", "postgres", "a"},
           {"--sql-tables=no", "a"},
           {"--json", "--dialect=duckdb", "a"},
       }) {
    options o;
    std::string error;
    EXPECT_FALSE(parsed(words, o, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(parseoptions, readsTheScriptsOptions) {
  options o;
  std::string error;
  ASSERT_TRUE(parsed({"--sql", "--sql-tables=no", "--dialect=postgres", "in.txt"}, o, error));
  EXPECT_EQ(o.form, outputform::sql);
  EXPECT_FALSE(o.sql.tables);
  EXPECT_EQ(o.sql.dialect, sqldialect::postgres);
  options plain;
  ASSERT_TRUE(parsed({"--sql", "in.txt"}, plain, error));
  EXPECT_TRUE(plain.sql.tables);
  EXPECT_EQ(plain.sql.dialect, sqldialect::sqlite);
}

TEST(parseoptions, helpNeedsNoInput) {
  options o;
  std::string error;
  ASSERT_TRUE(parsed({"--help"}, o, error));
  EXPECT_TRUE(o.help);
}

}  // namespace
}  // namespace relalg
