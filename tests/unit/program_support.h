// Helpers of the tests that run the relalg program: a child process, its two streams, files.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace relalg::programtesting {

namespace fs = std::filesystem;

// The address sanitizer reserves far more address space than any limit would allow, and ends
// the process itself when memory runs out.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool addresssanitizer = true;
#elif defined(__has_feature)
constexpr bool addresssanitizer = __has_feature(address_sanitizer);
#else
constexpr bool addresssanitizer = false;
#endif

// The built program: named by the build, or else beside the tests' folder as the build lays it.
inline fs::path program() {
#ifdef RELALG_PROGRAM
  return RELALG_PROGRAM;
#else
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "relalg";
#endif
}

struct outcome {
  int status = -1;  // the exit status; -1 when a signal ended the process
  std::string out;
  std::string err;
};

// Reads both pipes to their ends, whichever has something, so neither can fill up and stall.
inline void drain(int outpipe, int errpipe, outcome& got) {
  pollfd ends[] = {{outpipe, POLLIN, 0}, {errpipe, POLLIN, 0}};
  std::string* into[] = {&got.out, &got.err};
  int open = 2;
  char buffer[4096];
  while (open > 0 && poll(ends, 2, -1) > 0) {
    for (int k = 0; k < 2; ++k) {
      if (ends[k].fd < 0 || ends[k].revents == 0) continue;
      const ssize_t n = read(ends[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        into[k]->append(buffer, static_cast<size_t>(n));
      } else {
        ends[k].fd = -1;
        --open;
      }
    }
  }
}

// Runs the program with these arguments; addresslimit, when given, bounds the child's
// address space in bytes (the sanitizer's largest allocation in a sanitizer build).
inline outcome runprogram(const std::vector<std::string>& arguments, rlim_t addresslimit = 0) {
  const std::string path = program().string();
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string sanitizerlimit =
      "max_allocation_size_mb=" + std::to_string(addresslimit >> 20) +
      ":allocator_may_return_null=1";
  int outpipe[2];
  int errpipe[2];
  outcome got;
  if (pipe(outpipe) != 0 || pipe(errpipe) != 0) return got;
  const pid_t child = fork();
  if (child == 0) {
    dup2(outpipe[1], 1);
    dup2(errpipe[1], 2);
    for (const int fd : {outpipe[0], outpipe[1], errpipe[0], errpipe[1]}) close(fd);
    if (addresslimit > 0 && addresssanitizer) setenv("ASAN_OPTIONS", sanitizerlimit.c_str(), 1);
    const rlimit limit{addresslimit, addresslimit};
    if (addresslimit > 0 && !addresssanitizer) setrlimit(RLIMIT_AS, &limit);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(outpipe[1]);
  close(errpipe[1]);
  if (child > 0) drain(outpipe[0], errpipe[0], got);
  close(outpipe[0]);
  close(errpipe[0]);
  int waited = 0;
  if (child > 0 && waitpid(child, &waited, 0) == child && WIFEXITED(waited)) {
    got.status = WEXITSTATUS(waited);
  }
  return got;
}

inline std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

// The names in a folder, sorted: what a run leaves behind.
inline std::vector<std::string> listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Each test runs in a folder of its own, removed afterwards.
class infolder : public ::testing::Test {
 protected:
  fs::path dir;

  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "relalgtestXXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir = name;
  }
  void TearDown() override {
    if (!dir.empty()) fs::remove_all(dir);
  }
};

// A test of the built program: skipped where it was not built.
class programtest : public infolder {
 protected:
  void SetUp() override {
    if (!fs::exists(program())) GTEST_SKIP() << "no program at " << program();
    infolder::SetUp();
  }
};

}  // namespace relalg::programtesting
