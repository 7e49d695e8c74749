// An open file descriptor, closed when its owner goes out of scope.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace relalg {

class descriptor {
 public:
  explicit descriptor(int fd) : fd(fd) {}
  ~descriptor() {
    if (fd >= 0) ::close(fd);
  }
  descriptor(const descriptor&) = delete;
  descriptor& operator=(const descriptor&) = delete;

  bool valid() const { return fd >= 0; }
  int get() const { return fd; }
  // Closes it now: the system's error number, or 0. Some file systems report a failed write
  // only here.
  int close() {
    const int error = ::close(fd) == 0 ? 0 : errno;
    fd = -1;
    return error;
  }

 private:
  int fd;
};

}  // namespace relalg
