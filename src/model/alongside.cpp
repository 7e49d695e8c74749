// Two pieces of work at once, their exceptions carried back to the caller.
#include "model/alongside.h"

#include <exception>
#include <system_error>
#include <thread>

namespace relalg {

void alongside(const std::function<void()>& here, const std::function<void()>& work) {
  if (!threadsavailable) {
    here();
    work();
    return;
  }
  std::exception_ptr failed;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        work();
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error&) {  // no thread to be had: one after the other
    here();
    work();
    return;
  }
  try {
    here();
  } catch (...) {
    worker.join();  // work still reads what here's caller holds
    throw;
  }
  worker.join();
  if (failed) std::rethrow_exception(failed);
}

void alongsidewhen(bool many, const std::function<void()>& here,
                   const std::function<void()>& work) {
  if (many) return alongside(here, work);
  here();
  work();
}

}  // namespace relalg
