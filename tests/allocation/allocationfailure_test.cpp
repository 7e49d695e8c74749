// Every allocation of a whole run made to fail in turn, one at a time: each run ends with exit
// status 1 and the one line on standard error, its output file untouched, never an abort.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "driver/program.h"
#include "program_support.h"

namespace {

// Counted only while a run is under test.
std::atomic<bool> armed{false};
std::atomic<int64_t> allocations{0};
std::atomic<int64_t> failing{0};  // the allocation that fails; 0 for none

void* allocate(std::size_t size) {
  if (armed.load() && ++allocations == failing.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

// Every other form of new and delete ends in these.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace relalg::programtesting {
namespace {

const std::string nomemory = "relalg: the query's result does not fit in memory\n";
const std::string oldoutput = "old output\n";

struct ending {
  int status;
  std::string err;
  int64_t allocations;
};

// The whole program run in this process on in and out, the given allocation failing (0 for
// none), its standard error caught in errfile.
ending runwhole(const fs::path& in, const fs::path& out, int64_t fail, const fs::path& errfile) {
  const std::string input = in.string();
  const std::string output = out.string();
  const char* const argv[] = {"relalg", input.c_str(), output.c_str()};
  std::fflush(stderr);
  const int saved = dup(2);
  const int caught = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  dup2(caught, 2);
  close(caught);
  allocations = 0;
  failing = fail;
  armed = true;
  const int status = relalg::program(3, argv);
  armed = false;
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  return {status, contents(errfile), allocations.load()};
}

struct golden {
  const char* name;
  const char* input;
  const char* expected;
};

// Names the case in the tests' listing.
void PrintTo(const golden& g, std::ostream* os) { *os << g.name; }

class allocationfailure : public infolder, public ::testing::WithParamInterface<golden> {};

TEST_P(allocationfailure, everyAllocationFailingEndsTheRunCleanly) {
  const fs::path source = RELALG_SOURCE_DIR;
  const fs::path in = dir / "in";
  const fs::path out = dir / "out";
  const fs::path errfile = dir / "err";
  fs::copy_file(source / GetParam().input, in);
  // The first run also makes what a process allocates only once.
  ASSERT_EQ(runwhole(in, out, 0, errfile).status, 0);
  ASSERT_EQ(contents(out), contents(source / GetParam().expected));
  write(out, oldoutput);
  const ending whole = runwhole(in, out, 0, errfile);
  ASSERT_EQ(whole.status, 0);
  ASSERT_GT(whole.allocations, 0);
  const std::vector<std::string> left = listing(dir);
  std::vector<int64_t> wrong;
  std::string first;
  for (int64_t n = 1; n <= whole.allocations; ++n) {
    write(out, oldoutput);
    const ending failed = runwhole(in, out, n, errfile);
    if (failed.status == 1 && failed.err == nomemory && contents(out) == oldoutput &&
        listing(dir) == left) {
      continue;
    }
    if (wrong.empty()) {
      first = "status " + std::to_string(failed.status) + ", standard error: " + failed.err;
    }
    wrong.push_back(n);
  }
  std::printf("  %s: %lld allocations, each made to fail in turn\n", GetParam().name,
              static_cast<long long>(whole.allocations));
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << whole.allocations
                             << " runs ended otherwise; the first, failing allocation "
                             << (wrong.empty() ? 0 : wrong.front()) << ": " << first;
}

// Bytes waiting in a pipe opened for reading without waiting.
std::string drain(int fd) {
  std::string got;
  char chunk[4096];
  for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
    got.append(chunk, static_cast<size_t>(n));
  return got;
}

// A pipe is written directly, with no temporary file to take a failure back: every failing
// allocation, in the evaluation or after, must come before its first byte.
TEST_F(infolder, aPipeGetsNothingWhenMemoryRunsOut) {
  const fs::path source = RELALG_SOURCE_DIR;
  const fs::path in = dir / "in";
  const fs::path pipe = dir / "pipe";
  const fs::path errfile = dir / "err";
  fs::copy_file(source / "tests/golden/select/typical-run.in", in);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  const ending whole = runwhole(in, pipe, 0, errfile);
  ASSERT_EQ(whole.status, 0);
  ASSERT_EQ(drain(reader), contents(source / "tests/golden/select/typical-run.out"));
  std::vector<int64_t> wrong;
  for (int64_t n = 1; n <= whole.allocations; ++n) {
    const ending failed = runwhole(in, pipe, n, errfile);
    if (failed.status != 1 || failed.err != nomemory || !drain(reader).empty()) wrong.push_back(n);
  }
  close(reader);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << whole.allocations
                             << " runs wrote into the pipe or ended otherwise; the first, failing "
                                "allocation "
                             << (wrong.empty() ? 0 : wrong.front());
}

INSTANTIATE_TEST_SUITE_P(
    goldeninputs, allocationfailure,
    ::testing::Values(golden{"select", "tests/golden/select/typical-run.in",
                             "tests/golden/select/typical-run.out"},
                      golden{"join", "examples/join.txt", "examples/join.expected"},
                      golden{"union", "tests/golden/union/rows-sorted-unique.in",
                             "tests/golden/union/rows-sorted-unique.out"}),
    [](const ::testing::TestParamInfo<golden>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace relalg::programtesting
