// Writing the output file through a temporary file renamed over it, or directly.
#include "driver/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <streambuf>
#include <string_view>

#include "input/descriptor.h"

namespace relalg {

namespace {

// The system follows at most this many symbolic links in a row.
constexpr int maxlinks = 40;

// An unbuffered stream buffer over a file descriptor: it keeps the first error and writes
// nothing after it.
class fdbuffer : public std::streambuf {
 public:
  explicit fdbuffer(int fd) : fd(fd) {}
  int error() const { return failure; }

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    return writeall(s, static_cast<size_t>(n)) ? n : 0;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return writeall(&byte, 1) ? c : traits_type::eof();
  }
  // Nothing is held here; the system is asked to start writing what it holds of the file to
  // its disk, so that the rename over the output, which waits for that, finds little left.
  // Advice only: a pipe or a terminal refuses it, and nothing fails.
  int sync() override {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return 0;
  }

 private:
  bool writeall(const char* s, size_t n) {
    while (n > 0 && failure == 0) {
      const ssize_t done = ::write(fd, s, n);
      if (done > 0) {
        s += done;
        n -= static_cast<size_t>(done);
      } else if (done == 0 || errno != EINTR) {
        failure = done == 0 ? EIO : errno;  // a write that takes nothing would never end
      }
    }
    return failure == 0;
  }

  const int fd;
  int failure = 0;
};

// Lets write fill an open file and closes it: the first error, or 0.
int writeinto(descriptor& file, const std::function<void(std::ostream&)>& write) {
  fdbuffer buffer(file.get());
  std::ostream op(&buffer);
  write(op);
  const int closed = file.close();
  return buffer.error() != 0 ? buffer.error() : closed;
}

// The functions that fill an output: see writewhole.
struct writer {
  const std::function<void()>& prepare;
  const std::function<void(std::ostream&)>& write;
};

int writedirect(const std::string& path, const writer& w) {
  w.prepare();
  descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!file.valid()) return 0;  // nothing written and nothing said, as for any such output
  return writeinto(file, w.write);
}

// The folder part of a path, with its final slash: empty for a bare name.
std::string folderof(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameof(const std::string& path) { return path.substr(folderof(path).size()); }

// The path of the file that path names through symbolic links; path itself when it is no link.
std::string linktarget(std::string path) {
  char link[PATH_MAX];
  for (int hop = 0; hop < maxlinks; ++hop) {
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<size_t>(length) == sizeof link) break;
    const std::string_view to(link, static_cast<size_t>(length));
    path = to.front() == '/' ? std::string(to) : folderof(path) + std::string(to);
  }
  return path;
}

// The descriptor of this process that a path names, as /dev/stdout or /proc/self/fd/3 do,
// directly or through a link; -1 for any other path. Such a file is open already, where the
// caller put it (a shell's >> appends): opening it again would cut it, and replacing it would
// take it from under the descriptor and lose what was written before.
int descriptorof(std::string path) {
  constexpr std::string_view numbered[] = {"/dev/fd/", "/proc/self/fd/"};
  char link[PATH_MAX];
  for (int hop = 0; hop <= maxlinks; ++hop) {
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    for (const std::string_view folder : numbered) {
      if (path.compare(0, folder.size(), folder) != 0) continue;
      const std::string number = path.substr(folder.size());
      if (number.empty() || number.size() > 9 ||
          number.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
      }
      return std::atoi(number.c_str());
    }
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<size_t>(length) == sizeof link) return -1;
    const std::string_view to(link, static_cast<size_t>(length));
    path = to.front() == '/' ? std::string(to) : folderof(path) + std::string(to);
  }
  return -1;
}

// Whether a descriptor is open for writing.
bool writable(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

// Writes into a copy of an open descriptor, from where it stands.
int writeopen(int fd, const writer& w) {
  w.prepare();
  descriptor file(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
  if (!file.valid()) return errno;
  return writeinto(file, w.write);
}

// A new file beside the output, removed again unless it was renamed over the output.
class temporary {
 public:
  explicit temporary(const std::string& target)
      : name(folderof(target) + "." + nameof(target) + ".XXXXXX"),
        file(::mkostemp(name.data(), O_CLOEXEC)),
        pending(file.valid()) {}
  ~temporary() {
    if (pending) ::unlink(name.c_str());
  }
  temporary(const temporary&) = delete;
  temporary& operator=(const temporary&) = delete;

  // Puts the file in the target's place: the system's error number, or 0.
  int renameto(const std::string& target) {
    if (::rename(name.c_str(), target.c_str()) != 0) return errno;
    pending = false;
    return 0;
  }

  std::string name;
  descriptor file;

 private:
  bool pending;
};

// Gives the new file the existing output's owner and permission bits, or for a new output
// those that creating it would have given. False when the system refuses: a file that would
// lose its owner or its bits is better written in place.
bool keepattributes(int fd, const struct stat* existing) {
  if (!existing) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(fd, 0666 & ~mask) == 0;
  }
  // Only a privileged user may give a file away.
  if ((existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
      ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
    return false;
  }
  return ::fchmod(fd, existing->st_mode & 07777) == 0;
}

int replace(const std::string& path, const std::string& target, const struct stat* existing,
            const writer& w) {
  temporary temp(target);
  // A folder that takes no new file may still hold a writable output.
  if (!temp.file.valid() || !keepattributes(temp.file.get(), existing)) {
    return writedirect(path, w);
  }
  const int error = writeinto(temp.file, w.write);
  return error != 0 ? error : temp.renameto(target);
}

}  // namespace

int writewhole(const std::string& path, const std::function<void()>& prepare,
               const std::function<void(std::ostream&)>& write) {
  const writer w{prepare, write};
  const int open = descriptorof(path);
  if (open >= 0 && writable(open)) return writeopen(open, w);
  struct stat seen;
  if (::stat(path.c_str(), &seen) != 0) {
    // A path that is not there yet, or a link to one, is made; any other fault (and the
    // empty path, which names nothing) is met by opening the path, as it always was.
    if (errno != ENOENT || path.empty()) return writedirect(path, w);
    return replace(path, linktarget(path), nullptr, w);
  }
  if (!S_ISREG(seen.st_mode)) return writedirect(path, w);
  const std::string target = linktarget(path);
  struct stat found;
  // A link that names an open file rather than a path (a pipe's) leads elsewhere.
  if (::stat(target.c_str(), &found) != 0 || found.st_dev != seen.st_dev ||
      found.st_ino != seen.st_ino) {
    return writedirect(path, w);
  }
  // A file that may not be written is left alone, though its folder would let it be replaced.
  if (!descriptor(::open(path.c_str(), O_WRONLY | O_CLOEXEC)).valid()) return 0;
  return replace(path, target, &seen, w);
}

}  // namespace relalg
