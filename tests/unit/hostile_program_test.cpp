// The relalg program itself on hostile command lines and output paths: exit 0, nothing lost.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "driver/run.h"

namespace relalg {
namespace {

namespace fs = std::filesystem;

const std::string wrongcount = "Nem megfelelo szamu parameter !\n";
const std::string sample = "project(t,a)\n\nt(a int, b char(2))\n2,'x'\n1,'y'\n";

// The built program: named by the build, or else beside the tests' folder as the build lays it.
fs::path program() {
#ifdef RELALG_PROGRAM
  return RELALG_PROGRAM;
#else
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "relalg";
#endif
}

struct outcome {
  int status = -1;
  std::string printed;  // standard output and standard error together
};

// Runs the program with arguments already quoted for the shell.
outcome runprogram(const std::string& arguments) {
  outcome got;
  const std::string command = "'" + program().string() + "' " + arguments + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return got;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) got.printed.append(buffer, n);
  const int waited = pclose(pipe);
  got.status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
  return got;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

class programtest : public ::testing::Test {
 protected:
  fs::path dir;

  void SetUp() override {
    if (!fs::exists(program())) GTEST_SKIP() << "no program at " << program();
    std::string name = (fs::temp_directory_path() / "relalghostileXXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir = name;
    write(dir / "in", sample);
  }
  void TearDown() override {
    if (!dir.empty()) fs::remove_all(dir);
  }
};

TEST_F(programtest, unwritableOutputIsSilent) {
  fs::create_directory(dir / "folder");
  for (const fs::path& out : {dir / "folder", dir / "missing" / "out"}) {
    const outcome got = runprogram(quoted(dir / "in") + " " + quoted(out));
    EXPECT_EQ(got.status, 0) << out;
    EXPECT_EQ(got.printed, "") << out;
  }
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(programtest, sameFileForInputAndOutputHoldsTheWholeOutput) {
  // Larger than any read buffer, so an output opened before the input was read would lose rows.
  std::string input = "t\n\nt(a int, b char(8))\n";
  for (int i = 0; i < 100000; ++i) input += std::to_string(i) + ",'row'\n";
  write(dir / "both", input);
  const outcome got = runprogram(quoted(dir / "both") + " " + quoted(dir / "both"));
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.printed, "");
  EXPECT_EQ(contents(dir / "both"), run(input));
}

TEST_F(programtest, wrongArgumentCounts) {
  const std::string in = quoted(dir / "in");
  const std::string out = quoted(dir / "out");
  for (const std::string& arguments : {std::string(), in, in + " " + out + " " + out}) {
    const outcome got = runprogram(arguments);
    EXPECT_EQ(got.status, 0) << arguments;
    EXPECT_EQ(got.printed, wrongcount) << arguments;
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(programtest, writesWhatRunGives) {
  const outcome got = runprogram(quoted(dir / "in") + " " + quoted(dir / "out"));
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.printed, "");
  EXPECT_EQ(contents(dir / "out"), run(sample));
}

}  // namespace
}  // namespace relalg
