// Reading the input file whole, into a text grown by what actually arrives.
#include "input/inputfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "input/descriptor.h"
#include "parallel/parallel.h"

namespace relalg {

namespace {

constexpr size_t chunk = size_t{1} << 16;
// Room of this size or more has its pages made ready on two threads before it is written.
constexpr size_t preparefrom = size_t{1} << 22;
// A reported size is believed while it is at most this many times the bytes read so far.
constexpr size_t hintbound = 64;

// Bytes read into buffer; 0 at the end, -1 when reading fails.
ssize_t readsome(int fd, char* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// Makes the pages of fresh room present at once, half on each of two threads: the first
// write to each page would otherwise stop for the system to supply it, one page at a time,
// which for an input of tens of megabytes takes longer than reading it. Only advice: where
// it is refused, the pages come as they are written.
void preparepages(char* room, size_t size) {
#ifdef MADV_POPULATE_WRITE
  const auto pageof = [](uintptr_t at) { return at & ~uintptr_t{4095}; };
  const uintptr_t first = pageof(reinterpret_cast<uintptr_t>(room) + 4095);
  const uintptr_t last = pageof(reinterpret_cast<uintptr_t>(room) + size);
  if (last <= first) return;
  const uintptr_t middle = pageof(first + (last - first) / 2);
  const auto prepare = [](uintptr_t from, uintptr_t to) {
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
  };
  // Counted as rows of some 64 bytes, as the rest of the work is.
  parallel::both((last - first) / 64, [&] { prepare(first, middle); },
                 [&] { prepare(middle, last); });
#else
  (void)room;
  (void)size;
#endif
}

// Enlarges text, keeping its first used bytes, to hold at least needed. The size the system
// reported is a hint, believed only within a bound set by the bytes that have arrived: a true
// size gives a text of exactly that size after a few small steps, a bogus one at most that
// bound.
void makeroom(std::string& text, size_t used, size_t needed, size_t hint) {
  const size_t size =
      hint >= needed && hint / hintbound <= needed ? hint : std::max(2 * needed, chunk);
  std::string larger;
  larger.reserve(size);  // a fresh text takes exactly this, where resizing would round up
  if (size >= preparefrom) preparepages(larger.data(), larger.capacity());
  larger.append(text, 0, used);
  larger.resize(size);
  text.swap(larger);
}

}  // namespace

std::optional<std::string> readfile(const char* path, std::string* reason) {
  const auto fail = [&](const char* why) -> std::optional<std::string> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  const descriptor file(::open(path, O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return fail(std::strerror(errno));
  struct stat status;
  if (::fstat(file.get(), &status) != 0) return fail(std::strerror(errno));
  // Some file systems let a directory be read; it is never an input.
  if (S_ISDIR(status.st_mode)) return fail("it is a directory");
  const size_t hint = S_ISREG(status.st_mode) ? static_cast<size_t>(status.st_size) : 0;
  std::string text;
  size_t used = 0;
  char probe[chunk];
  for (;;) {
    // Once the text is full, more room is made only for bytes that have arrived.
    const bool full = used == text.size();
    char* const into = full ? probe : text.data() + used;
    const ssize_t got = readsome(file.get(), into, full ? sizeof probe : text.size() - used);
    if (got < 0) return fail("it cannot be read");
    if (got == 0) break;
    if (full) {
      makeroom(text, used, used + static_cast<size_t>(got), hint);
      std::memcpy(text.data() + used, probe, static_cast<size_t>(got));
    }
    used += static_cast<size_t>(got);
  }
  text.resize(used);
  return text;
}

}  // namespace relalg
