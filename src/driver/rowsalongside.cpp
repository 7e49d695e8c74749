// A second thread prints ranges of rows, this one writes every range in order.
#include "driver/rowsalongside.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "driver/relay.h"
#include "model/alongside.h"

namespace relalg {

namespace {

// Rows are dealt out in ranges of this many.
constexpr size_t rangerows = 4096;
// Of every two ranges this thread prints the first and writes both: printing is most of the
// work, and the other thread would wait for this one with a larger share.
constexpr size_t stride = 2;
// Room for the other thread's range of rows of some 60 bytes while this one prints its own.
constexpr size_t piececount = 4;
constexpr size_t piecesize = size_t{1} << 18;

}  // namespace

void putrowsalongside(size_t rows, bool split, const rowprinter& put, printbuffer& out) {
  if (!split || rows < splitfrom || !threadsavailable) return put(out, 0, rows);
  std::optional<relay> pieces;
  try {
    pieces.emplace(piececount, piecesize);
  } catch (const std::bad_alloc&) {
    return put(out, 0, rows);
  }
  const size_t ranges = (rows + rangerows - 1) / rangerows;
  const auto first = [&](size_t r) { return r * rangerows; };
  const auto last = [&](size_t r) { return std::min(rows, (r + 1) * rangerows); };
  std::exception_ptr failed;
  std::thread side;
  try {
    side = std::thread([&] {
      try {
        printbuffer into(*pieces);
        for (size_t r = 0; r < ranges && !pieces->cancelled(); ++r) {
          if (r % stride == 0) continue;
          put(into, first(r), last(r));
          into.flush(true);
        }
      } catch (...) {
        failed = std::current_exception();
        pieces->cancel();  // the ranges still awaited end at once
      }
    });
  } catch (const std::system_error&) {
    return put(out, 0, rows);
  } catch (const std::bad_alloc&) {
    return put(out, 0, rows);
  }
  try {
    for (size_t r = 0; r < ranges; ++r) {
      if (r % stride == 0) {
        put(out, first(r), last(r));
      } else {
        pieces->drain([&](std::string_view printed) { out.putprinted(printed); });
      }
    }
  } catch (...) {
    pieces->cancel();
    side.join();
    throw;
  }
  side.join();
  if (failed) std::rethrow_exception(failed);
}

}  // namespace relalg
