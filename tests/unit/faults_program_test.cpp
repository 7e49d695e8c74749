// The program on a bad day: inputs that are no files, outputs that fail, memory that runs out.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "driver/run.h"
#include "hostile_support.h"
#include "program_support.h"

namespace relalg::programtesting {
namespace {

const std::string unreadable =
    "Hibas parameter vagy valamely mas oknal fogva nem nyithato mega fajl\n";
const std::string nomemory = "relalg: the query's result does not fit in memory\n";
const std::string sample = "project(t,a)\n\nt(a int, b char(2))\n2,'x'\n1,'y'\n";

// A table of the given rows under a query; its output is about twice its size.
std::string tableinput(const std::string& query, int rows) {
  std::string input = query + "\n\nt(a int, b char(8))\n";
  for (int i = 0; i < rows; ++i) input += std::to_string(i) + ",'row'\n";
  return input;
}

// Two tables of the given rows each and their product as the query.
std::string productinput(int rows) {
  std::string input = "product(a,b)\n\na(x int)\n";
  for (int i = 0; i < rows; ++i) input += std::to_string(i) + "\n";
  input += "\nb(y int)\n";
  for (int i = 0; i < rows; ++i) input += std::to_string(i) + "\n";
  return input;
}

mode_t permissions(const fs::path& p) {
  struct stat status;
  return stat(p.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

mode_t currentumask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// The failure line for an output: the path and the system's reason, on one line.
std::string writefailure(const std::string& path, int error) {
  return "relalg: cannot write " + path + ": " + std::strerror(error) + "\n";
}

class faults : public programtest {
 protected:
  std::vector<fs::path> mounted;

  void SetUp() override {
    programtest::SetUp();
    if (!dir.empty()) write(dir / "in", sample);
  }
  void TearDown() override {
    for (auto at = mounted.rbegin(); at != mounted.rend(); ++at) umount2(at->c_str(), MNT_DETACH);
    programtest::TearDown();
  }
  // A small file system of its own at the folder, or false where this user may not mount.
  bool mounttmpfs(const fs::path& at, const char* options) {
    fs::create_directory(at);
    if (mount("tmpfs", at.c_str(), "tmpfs", 0, options) != 0) return false;
    mounted.push_back(at);
    return true;
  }
};

TEST_F(faults, inputThatIsNoFileGetsTheSecondMessage) {
  fs::create_directory(dir / "folder");
  // Reading /proc/self/mem at its start fails: a device whose reading fails.
  for (const fs::path& in : {dir / "folder", fs::path("/proc/self/mem")}) {
    const outcome got = runprogram({in, dir / "out"});
    EXPECT_EQ(got.status, 0) << in;
    EXPECT_EQ(got.out, unreadable) << in;
    EXPECT_EQ(got.err, "") << in;
    EXPECT_FALSE(fs::exists(dir / "out")) << in;
  }
}

TEST_F(faults, inputWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which reads every file";
  fs::create_directory(dir / "closed");
  write(dir / "closed" / "in", sample);
  write(dir / "private", sample);
  fs::permissions(dir / "private", fs::perms::none);
  fs::permissions(dir / "closed", fs::perms::none);
  for (const fs::path& in : {dir / "closed", dir / "closed" / "in", dir / "private"}) {
    const outcome got = runprogram({in, dir / "out"});
    EXPECT_EQ(got.status, 0) << in;
    EXPECT_EQ(got.out, unreadable) << in;
    EXPECT_FALSE(fs::exists(dir / "out")) << in;
  }
  fs::permissions(dir / "closed", fs::perms::owner_all);
}

TEST_F(faults, inputWhoseSizeIsNoGuideIsReadWhole) {
  // Files under /proc report a size of 0 and hold more.
  const outcome got = runprogram({"/proc/self/status", dir / "out"});
  EXPECT_EQ(got.status, 0);
  EXPECT_NE(contents(dir / "out").find("VmPeak"), std::string::npos);
}

TEST_F(faults, fullDeviceAsOutput) {
  const outcome got = runprogram({dir / "in", "/dev/full"});
  EXPECT_EQ(got.status, 1);
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, writefailure("/dev/full", ENOSPC));
}

TEST_F(faults, fullFileSystemLosesNothing) {
  if (geteuid() != 0) GTEST_SKIP() << "a small file system needs root to mount";
  if (!mounttmpfs(dir / "full", "size=64k")) GTEST_SKIP() << "tmpfs cannot be mounted here";
  // The input fits the file system; its output, about twice as large, does not.
  const std::string input = tableinput("t", 3000);
  write(dir / "in", input);
  write(dir / "full" / "out", "old output\n");
  write(dir / "full" / "both", input);
  const outcome existing = runprogram({dir / "in", dir / "full" / "out"});
  EXPECT_EQ(existing.status, 1);
  EXPECT_EQ(existing.err, writefailure(dir / "full" / "out", ENOSPC));
  EXPECT_EQ(contents(dir / "full" / "out"), "old output\n");
  const outcome same = runprogram({dir / "full" / "both", dir / "full" / "both"});
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(same.err, writefailure(dir / "full" / "both", ENOSPC));
  EXPECT_EQ(contents(dir / "full" / "both"), input);
  const outcome fresh = runprogram({dir / "in", dir / "full" / "new"});
  EXPECT_EQ(fresh.status, 1);
  EXPECT_EQ(listing(dir / "full"), (std::vector<std::string>{"both", "out"}));
}

TEST_F(faults, ownerAndPermissionBitsKept) {
  write(dir / "kept", "old output\n");
  fs::permissions(dir / "kept", static_cast<fs::perms>(0640));
  // Root can give the file to another owner, which replacing it must keep.
  const uid_t owner = geteuid() == 0 ? 65534 : geteuid();
  ASSERT_EQ(chown((dir / "kept").c_str(), owner, static_cast<gid_t>(-1)), 0);
  EXPECT_EQ(runprogram({dir / "in", dir / "kept"}).status, 0);
  EXPECT_EQ(permissions(dir / "kept"), 0640u);
  struct stat status;
  ASSERT_EQ(stat((dir / "kept").c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, owner);
  EXPECT_EQ(contents(dir / "kept"), run(sample));
  // A new output is made as any new file, not as the private temporary file it was.
  EXPECT_EQ(runprogram({dir / "in", dir / "new"}).status, 0);
  EXPECT_EQ(permissions(dir / "new"), 0666u & ~currentumask());
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"in", "kept", "new"}));
}

TEST_F(faults, symbolicLinkKeptAndItsFileReplaced) {
  fs::create_directory(dir / "sub");
  write(dir / "sub" / "target", "old output\n");
  fs::create_symlink("sub/target", dir / "link");
  fs::create_symlink("sub/absent", dir / "dangling");
  EXPECT_EQ(runprogram({dir / "in", dir / "link"}).status, 0);
  EXPECT_EQ(runprogram({dir / "in", dir / "dangling"}).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
  EXPECT_EQ(contents(dir / "sub" / "target"), run(sample));
  EXPECT_EQ(contents(dir / "sub" / "absent"), run(sample));
  EXPECT_EQ(listing(dir / "sub"), (std::vector<std::string>{"absent", "target"}));
}

TEST_F(faults, standardOutputIntoAPipe) {
  const outcome got = runprogram({dir / "in", "/dev/stdout"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out, run(sample));
  EXPECT_EQ(got.err, "");
}

// A shell's redirection is kept: the output goes where the descriptor stands, after what was
// there, and the file stays the one the shell holds open.
TEST_F(faults, standardOutputIntoAFileKeepsWhatWasWrittenBefore) {
  write(dir / "log", "before\n");
  for (const std::string output : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    const std::string command = "{ echo more; '" + program().string() + "' '" +
                                (dir / "in").string() + "' " + output + "; echo after; } >> '" +
                                (dir / "log").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  const std::string once = "more\n" + run(sample) + "after\n";
  EXPECT_EQ(contents(dir / "log"), "before\n" + once + once + once);
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"in", "log"}));
}

TEST_F(faults, outputWithoutWritePermissionIsLeftAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which writes every file";
  write(dir / "locked", "old output\n");
  fs::permissions(dir / "locked", fs::perms::owner_read);
  const outcome got = runprogram({dir / "in", dir / "locked"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out + got.err, "");
  EXPECT_EQ(contents(dir / "locked"), "old output\n");
}

TEST_F(faults, writableOutputInAFolderThatTakesNoNewFile) {
  write(dir / "writable", "old output\n");
  if (geteuid() == 0) {
    // Root creates files in any folder, but not on a read-only file system: the output is a
    // writable file laid over a file of one.
    if (!mounttmpfs(dir / "closed", "size=64k")) GTEST_SKIP() << "tmpfs cannot be mounted here";
    write(dir / "closed" / "out", "");
    ASSERT_EQ(mount(nullptr, (dir / "closed").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    ASSERT_EQ(mount((dir / "writable").c_str(), (dir / "closed" / "out").c_str(), nullptr, MS_BIND,
                    nullptr),
              0);
    mounted.push_back(dir / "closed" / "out");
  } else {
    fs::create_directory(dir / "closed");
    fs::rename(dir / "writable", dir / "closed" / "out");
    fs::permissions(dir / "closed", fs::perms::owner_read | fs::perms::owner_exec);
  }
  const outcome got = runprogram({dir / "in", dir / "closed" / "out"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out + got.err, "");
  EXPECT_EQ(contents(dir / "closed" / "out"), run(sample));
  if (geteuid() != 0) fs::permissions(dir / "closed", fs::perms::owner_all);
}

TEST_F(faults, productTooLargeForMemory) {
  if (addresssanitizer)
    GTEST_SKIP() << "the address sanitizer ends the process when memory runs out";
  write(dir / "in", productinput(20000));
  write(dir / "out", "old output\n");
  // Enough for reading and the operands, far too little for 400,000,000 rows.
  const outcome got = runprogram({dir / "in", dir / "out"}, rlim_t{512} << 20);
  EXPECT_EQ(got.status, 1);
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, nomemory);
  EXPECT_EQ(contents(dir / "out"), "old output\n");
  EXPECT_EQ(runprogram({dir / "in", dir / "new"}, rlim_t{512} << 20).status, 1);
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"in", "out"}));
}

TEST_F(faults, productPastTheRowLimitRefusedBeforeAllocating) {
  // 2,500,000,000 rows: more than row indices count. The address limit only guards the
  // machine should the refusal ever come after allocating.
  write(dir / "in", productinput(50000));
  const auto start = hostile::clock::now();
  const outcome got = runprogram({dir / "in", dir / "out"}, rlim_t{2} << 30);
  EXPECT_LT(hostile::secondssince(start), hostile::timebound);
  EXPECT_EQ(got.status, 1);
  EXPECT_EQ(got.err, nomemory);
  EXPECT_FALSE(fs::exists(dir / "out"));
}

}  // namespace
}  // namespace relalg::programtesting
