// The pieces behind the program's failures: reading a file whole and the row limit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <thread>

#include "input/inputfile.h"
#include "model/rowlimit.h"
#include "program_support.h"

namespace relalg {
namespace {

namespace fs = std::filesystem;

TEST(inputfile, readsExactlyWhatTheFileHolds) {
  const fs::path path = fs::temp_directory_path() / ("relalginput" + std::to_string(getpid()));
  std::mt19937 random(7);
  // Around the size of one read and of the first text, where the text is enlarged.
  for (const size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{65537},
                            size_t{131073}, size_t{1000003}}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    programtesting::write(path, bytes);
    const auto got = readfile(path.c_str());
    ASSERT_TRUE(got.has_value()) << size;
    EXPECT_EQ(*got, bytes) << size;
  }
  fs::remove(path);
  EXPECT_FALSE(readfile(path.c_str()).has_value());
  EXPECT_FALSE(readfile(fs::temp_directory_path().c_str()).has_value());
}

TEST(inputfile, readsAPipeWhichReportsNoSize) {
  const fs::path path = fs::temp_directory_path() / ("relalgfifo" + std::to_string(getpid()));
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const std::string bytes(1000003, 'x');
  std::thread writer([&] { programtesting::write(path, bytes); });
  const auto got = readfile(path.c_str());
  writer.join();
  fs::remove(path);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(*got, bytes);
}

TEST(rowlimit, countsUpToTheLargestRowIndex) {
  EXPECT_EQ(checkedrowcount(0), 0);
  EXPECT_EQ(checkedrowcount(INT32_MAX), INT32_MAX);
  EXPECT_THROW(checkedrowcount(uint64_t{INT32_MAX} + 1), std::bad_alloc);
  EXPECT_THROW(checkedrowcount(uint64_t{50000} * 50000), std::bad_alloc);
}

}  // namespace
}  // namespace relalg
