// A table's header and rows, the rows of a large one printed on two threads.
#include "output/tablewriter.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>

#include "output/handoff.h"
#include "parallel/parallel.h"

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

// Prints the rows with a second thread; false, having printed nothing, when no thread or
// buffer can be had.
bool putrowsinranges(const table& t, size_t rows, printbuffer& out) {
  std::optional<handoff> pieces;
  try {
    pieces.emplace(piececount, piecesize);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const size_t ranges = (rows + rangerows - 1) / rangerows;
  const auto first = [&](size_t r) { return r * rangerows; };
  const auto last = [&](size_t r) { return std::min(rows, (r + 1) * rangerows); };
  std::exception_ptr failed;
  const auto printer = [&] {
    try {
      printbuffer into(*pieces);
      for (size_t r = 0; r < ranges && !pieces->cancelled(); ++r) {
        if (r % stride == 0) continue;
        into.putrows(t, first(r), last(r));
        into.flush(true);
      }
    } catch (...) {
      failed = std::current_exception();
      pieces->cancel();  // the ranges still awaited end at once
    }
  };
  const auto writer = [&] {
    try {
      for (size_t r = 0; r < ranges; ++r) {
        if (r % stride == 0) {
          out.putrows(t, first(r), last(r));
        } else {
          pieces->drain([&](std::string_view printed) { out.putprinted(printed); });
        }
      }
    } catch (...) {
      pieces->cancel();  // the printer waits for nothing more
      throw;
    }
  };
  if (!parallel::together(writer, printer)) return false;
  if (failed) std::rethrow_exception(failed);
  return true;
}

}  // namespace

void writetable(const table& t, printbuffer& out, bool split) {
  out.put(t.name);
  out.put('(');
  for (size_t k = 0; k < t.columns().size(); ++k) {
    if (k > 0) out.put(", ");
    out.put(t.columns()[k].name);
    out.put(' ');
    out.put(t.columns()[k].type().typetext());
  }
  out.put(")\n");
  const auto rows = static_cast<size_t>(t.rowcount());
  // Rows that are whole input lines are copied in large pieces: nothing to split.
  const bool copied = t.lines() && t.lines()->wholelines();
  if (!split || copied || !parallel::splits(rows) || !putrowsinranges(t, rows, out)) {
    out.putrows(t, 0, rows);
  }
  out.put('\n');
}

}  // namespace relalg
