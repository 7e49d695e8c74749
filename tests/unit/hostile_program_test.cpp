// The relalg program itself on hostile command lines and output paths: exit 0, nothing lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/run.h"
#include "program_support.h"

namespace relalg::programtesting {
namespace {

const std::string wrongcount = "Nem megfelelo szamu parameter !\n";
const std::string sample = "project(t,a)\n\nt(a int, b char(2))\n2,'x'\n1,'y'\n";

class hostileprogram : public programtest {
 protected:
  void SetUp() override {
    programtest::SetUp();
    if (!dir.empty()) write(dir / "in", sample);
  }
};

TEST_F(hostileprogram, unwritableOutputIsSilent) {
  fs::create_directory(dir / "folder");
  const std::vector<std::string> here = listing(fs::current_path());
  // The empty path names no file, not even one of the current folder.
  for (const fs::path& out : {dir / "folder", dir / "missing" / "out", fs::path()}) {
    const outcome got = runprogram({dir / "in", out});
    EXPECT_EQ(got.status, 0) << out;
    EXPECT_EQ(got.out + got.err, "") << out;
  }
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(listing(fs::current_path()), here);
}

TEST_F(hostileprogram, sameFileForInputAndOutputHoldsTheWholeOutput) {
  // Larger than any read buffer, so an output opened before the input was read would lose rows.
  std::string input = "t\n\nt(a int, b char(8))\n";
  for (int i = 0; i < 100000; ++i) input += std::to_string(i) + ",'row'\n";
  write(dir / "both", input);
  const outcome got = runprogram({dir / "both", dir / "both"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out + got.err, "");
  EXPECT_EQ(contents(dir / "both"), run(input));
}

TEST_F(hostileprogram, wrongArgumentCounts) {
  const std::string in = dir / "in";
  const std::string out = dir / "out";
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {in}, {in, out, out}}) {
    const outcome got = runprogram(arguments);
    EXPECT_EQ(got.status, 0) << arguments.size();
    EXPECT_EQ(got.out, wrongcount) << arguments.size();
    EXPECT_EQ(got.err, "") << arguments.size();
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(hostileprogram, writesWhatRunGives) {
  const outcome got = runprogram({dir / "in", dir / "out"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out + got.err, "");
  EXPECT_EQ(contents(dir / "out"), run(sample));
}

}  // namespace
}  // namespace relalg::programtesting
