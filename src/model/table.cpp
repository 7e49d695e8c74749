// The table: reading a definition and its rows, and the row operations the operators build on.
#include "model/table.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <numeric>
#include <utility>

#include "model/alongside.h"
#include "model/charcolumn.h"
#include "model/intcolumn.h"
#include "model/keysort.h"
#include "model/plainrows.h"
#include "model/rowhash.h"
#include "model/rowlimit.h"
#include "model/textint.h"

namespace relalg {

std::optional<table> table::read(source& ip, readnotes* notes) {
  table t;
  const size_t start = ip.position();
  if (notes) notes->definition(start);
  char c;
  // The first character always belongs to the name, even a "(".
  if (!ip.read(c)) return std::nullopt;
  t.name = c;
  t.name += ip.takeuntil('(');
  if (ip.atend()) {  // a definition cut before its "(" is dropped
    if (notes) notes->dropped(start, ip.position());
    return std::nullopt;
  }
  if (notes) notes->named(t.name, start);
  ip.skip();  // the "("
  do {
    if (auto declared = readcolumn(ip, notes)) t.addcolumn(std::move(declared));
  } while (ip.peek() != '\n' && !ip.atend());
  ip.skip();  // the line feed that ends the header
  // Every row takes at least one line, so the lines up to the next empty one bound the rows.
  const source::linespan span = ip.linesuntilempty();
  const auto lines = static_cast<int32_t>(std::min<size_t>(span.lines, INT32_MAX));
  for (const auto& c : t.columns) c->reserve(lines);
  // An empty line or the end right after the header gives a table without rows.
  const size_t rowsstart = ip.position();
  auto printedlines = std::make_shared<inputlines>();
  printedlines->starts.reserve(static_cast<size_t>(lines) + 1);
  const bool asprinted = notes ? t.readrows<true>(ip, notes, printedlines->starts)
                               : t.readrowsalongside(ip, span, printedlines->starts);
  // Offsets are 32-bit: the rows of a table past 4 GiB print value by value.
  if (asprinted && ip.position() - rowsstart <= UINT32_MAX) {
    printedlines->text = ip.bytes();
    printedlines->base = ip.since(rowsstart).data();
    for (uint32_t& start : printedlines->starts) start -= static_cast<uint32_t>(rowsstart);
    printedlines->starts.push_back(static_cast<uint32_t>(ip.position() - rowsstart));
    t.printed.emplace(std::move(printedlines));
  }
  return t;
}

std::shared_ptr<column> table::readcolumn(source& ip, readnotes* notes) {
  while (ip.peek() == ' ') ip.skip();
  char c;
  if (!ip.read(c)) return nullptr;  // the header ended before this column's name
  std::string label(1, c);
  label += ip.takeuntil(' ', ',', ')', '\n');
  std::string num;
  const size_t typestart = ip.position();
  // Only a blank after the name opens a type text; a name that ended at ",", ")" or a line
  // feed declares an integer column.
  if (ip.peek() == ' ') {
    do {
      if (!ip.read(c)) break;
      if (c == '(') {
        do {
          if (!ip.read(c)) break;
          num += c;
        } while (ip.peek() != ')' && !ip.atend());
      }
    } while (ip.peek() != ',' && ip.peek() != '\n' && !ip.atend());
  }
  if (notes) notes->declared(ip.since(typestart), typestart, !num.empty());
  std::shared_ptr<column> declared;
  if (num.empty()) {
    declared = std::make_shared<intcolumn>();
  } else {
    declared = std::make_shared<charcolumn>(texttoint(num));
  }
  declared->name = std::move(label);
  if (ip.peek() != '\n') ip.skip();  // the "," (or ")") before the next declaration
  return declared;
}

namespace {

// Tables of fewer rows are sorted whole; hashing pays from many rows on.
constexpr size_t hashfrom = 4096;
// Hashing is given up once more than this share of the rows differ (one in hashshare).
constexpr size_t hashshare = 8;

// The row a column's last value was read into.
int32_t lastrow(const column& c) { return c.size() - 1; }

}  // namespace

template <bool noted>
bool table::readrows(source& ip, readnotes* notes, std::vector<uint32_t>& starts) {
  if (columns.empty()) return true;
  bool asprinted = true;
  // Without notes, rows standing as printed are read the quick way.
  std::optional<plainrows> plain;
  if (!noted) plain.emplace(*this, ip);
  while (ip.peek() != '\n' && !ip.atend()) {
    // Rows as printed come in runs: each run read in one go, as far as 32-bit indices reach.
    if (!noted) {
      const size_t room = static_cast<size_t>(INT32_MAX - rowcount());
      if (plain->readrun(ip, asprinted ? &starts : nullptr, room) > 0) continue;
    }
    checkedrowcount(uint64_t{1} + static_cast<uint64_t>(rowcount()));  // indices are 32-bit
    const size_t rowstart = ip.position();
    // Kept only while they fit, for the rows of a table as printed (see read).
    if (asprinted) starts.push_back(static_cast<uint32_t>(rowstart));
    if (readrow<noted>(ip, notes)) continue;
    asprinted = false;
    if (noted) notes->endrow(ip.since(rowstart), rowstart);
  }
  return asprinted;
}

bool table::readrowsalongside(source& ip, const source::linespan& span,
                              std::vector<uint32_t>& starts) {
  // Every line is a row of its own, so the lines of a large table are read in two halves at
  // once: the second half into columns of its own, appended to these once both are read.
  const size_t first = ip.position();
  const size_t half = first + (span.end - first) / 2;
  const std::string_view rest = ip.rest();
  const size_t cut = rest.find('\n', half - first);
  if (span.lines < splitfrom || columns.empty() || cut == std::string_view::npos ||
      first + cut + 1 >= span.end) {
    return readrows<false>(ip, nullptr, starts);
  }
  const size_t mid = first + cut + 1;  // the first line of the second half starts here
  table side;
  // Columns of its own: this table's columns keep the room reserved for them.
  for (const auto& c : columns) side.columns.push_back(emptylike(*c));
  source head = ip.part(first, mid);
  source tail = ip.part(mid, span.end);
  std::vector<uint32_t> tailstarts;
  bool headasprinted = false;
  bool tailasprinted = false;
  alongside([&] { headasprinted = readrows<false>(head, nullptr, starts); },
            [&] {
              const auto taillines = static_cast<int32_t>(tail.linesuntilempty().lines);
              for (const auto& c : side.columns) c->reserve(taillines);
              tailstarts.reserve(static_cast<size_t>(taillines));
              tailasprinted = side.readrows<false>(tail, nullptr, tailstarts);
            });
  assert(head.position() == mid && tail.position() == span.end);
  checkedrowcount(static_cast<uint64_t>(rowcount()) + static_cast<uint64_t>(side.rowcount()));
  for (size_t k = 0; k < columns.size(); ++k) {
    columns[k]->appendall(*side.columns[k]);
    side.columns[k].reset();  // its memory goes as soon as its values are here
  }
  ip.moveto(span.end);
  if (!headasprinted || !tailasprinted) return false;
  starts.insert(starts.end(), tailstarts.begin(), tailstarts.end());
  return true;
}

template <bool noted>
bool table::readrow(source& ip, readnotes* notes) {
  // One line is one row: a short line leaves the neutral value in the columns it does not
  // reach, and the values of a long line past the last column are skipped.
  const size_t rowstart = ip.position();
  bool asprinted = true;
  bool ended = false;
  const size_t last = columns.size() - 1;
  for (size_t k = 0; k < columns.size(); ++k) {
    column& target = *columns[k];
    if (ended) {
      target.addvalue({});
      asprinted = false;
      continue;
    }
    const size_t valuestart = ip.position();
    if (const readflags flags = target.readvalue(ip)) {
      asprinted = false;
      if (noted) {
        notes->value(flags, static_cast<int32_t>(k), lastrow(target), valuestart, ip.position());
      }
    }
    if (ip.peek() != ',' && ip.peek() != '\n') {
      const size_t skipped = ip.position();
      ip.takeuntil(',', '\n');  // left after a closing quote
      asprinted = false;
      if (noted && ip.position() > skipped) {
        notes->row({readnote::afterquote, 0, static_cast<int32_t>(k), lastrow(target), skipped,
                    ip.position()});
      }
    }
    if (ip.peek() == ',' && k < last) {
      ip.skip();
    } else {
      const bool extra = ip.peek() == ',';
      if (extra) {
        const size_t skipped = ip.position();
        ip.takeuntil('\n');
        if (noted) notes->row({readnote::extra, 0, -1, lastrow(target), skipped, ip.position()});
      }
      asprinted &= !extra && k == last && ip.peek() == '\n';  // nothing skipped, a line end printed
      ip.skip();                                              // the line feed that ends the row
      ended = true;
      if (noted && k < last) {
        notes->row({readnote::toofew, 0, static_cast<int32_t>(k + 1), lastrow(target), rowstart,
                    ip.position()});
      }
    }
  }
  return asprinted;
}

int table::comparerows(int32_t a, int32_t b) const {
  for (const auto& c : columns) {
    if (const int order = c->comparerows(a, b)) return order;
  }
  return 0;
}

void table::swaprows(int32_t a, int32_t b) {
  printed.reset();
  joined.reset();
  for (const auto& c : columns) c->swaprows(a, b);
}

void table::eraserow(int32_t row) {
  printed.reset();
  joined.reset();
  for (const auto& c : columns) c->eraserow(row);
}

void table::sortunique() {
  const std::vector<int32_t> rows = distinctrows();
  const bool unchanged =
      static_cast<int32_t>(rows.size()) == rowcount() &&
      std::all_of(rows.begin(), rows.end(), [&, i = 0](int32_t row) mutable { return row == i++; });
  if (!unchanged) keeprows(rows);
}

void table::addcolumn(std::shared_ptr<column> c) {
  if (!c) return;
  printed.reset();  // the rows have another column now
  joined.reset();
  columns.push_back(std::move(c));
}

std::shared_ptr<column> table::copycolumn(std::string_view label) const {
  for (const auto& c : columns) {
    if (c->name == label) return c->clone();
  }
  return nullptr;
}

void table::addclones(const table& other) {
  const bool empty = columns.empty();
  for (const auto& c : other.columns) addcolumn(c->clone());
  // Clones of all the columns, in order, into a table that had none: the same rows.
  if (empty) {
    printed = other.printed;
    joined = other.joined;
  }
}

void table::keeprows(const std::vector<int32_t>& rows) {
  if (printed) printed = printed->kept(rows);
  if (joined) joined = joined->kept(rows);
  std::vector<keeping> jobs;
  for (const auto& c : columns) jobs.push_back({c.get(), &rows});
  keepcolumns(jobs);
}

void workcolumns(const std::vector<columnwork>& work) {
  size_t most = 0;
  for (const columnwork& w : work) most = std::max(most, w.rows);
  if (most < splitfrom || work.size() < 2) {
    for (const columnwork& w : work) w.run();
    return;
  }
  std::vector<const columnwork*> here;
  std::vector<const columnwork*> there;
  size_t herebytes = 0;
  size_t therebytes = 0;
  for (const columnwork& w : work) {
    const size_t bytes = w.rows * (dynamic_cast<const intcolumn*>(w.c) ? 4 : 8);
    if (herebytes <= therebytes) {
      here.push_back(&w);
      herebytes += bytes;
    } else {
      there.push_back(&w);
      therebytes += bytes;
    }
  }
  const auto runall = [](const std::vector<const columnwork*>& some) {
    for (const columnwork* w : some) w->run();
  };
  alongside([&] { runall(here); }, [&] { runall(there); });
}

void keepcolumns(const std::vector<keeping>& jobs) {
  std::vector<columnwork> work;
  for (const keeping& job : jobs) {
    work.push_back({job.c, job.rows->size(), [job] { job.c->keeprows(*job.rows); }});
  }
  workcolumns(work);
}

std::vector<int32_t> table::distinctrows() const {
  // Rows of few distinct values are told apart by hashing, so only one of each is sorted.
  const auto total = static_cast<size_t>(rowcount());
  std::optional<std::vector<int32_t>> first;
  if (total >= hashfrom) first = firstdistinct(*this, total / hashshare);
  if (first) return sortedunique(std::move(*first));
  std::vector<int32_t> rows(total);
  std::iota(rows.begin(), rows.end(), 0);
  return sortedunique(std::move(rows));
}

std::vector<int32_t> table::sortedunique(std::vector<int32_t> rows) const {
  // Rows that compare equal are equal in every value, so any sort followed by dropping
  // neighbouring equals gives what a selection sort with removal of duplicates gives. This
  // one sorts by the first column, then sorts each run of rows that tie so far by the next
  // column, and so on: columns after the first are looked at only where rows still tie.
  std::vector<std::pair<size_t, size_t>> ties;
  if (rows.size() > 1) ties.emplace_back(0, rows.size());
  std::vector<uint64_t> words;
  std::vector<uint64_t> scratch;
  std::vector<int32_t> tied;
  std::vector<int32_t> all;  // every row of the table, made once needed
  for (size_t k = 0; k < columns.size() && !ties.empty(); ++k) {
    // Keys of the rows that still tie only, in the order of their runs; but when most rows
    // still tie, of every row in the order they are held, which reads memory in sequence.
    tied.clear();
    for (const auto& [begin, end] : ties) {
      tied.insert(tied.end(), rows.begin() + static_cast<ptrdiff_t>(begin),
                  rows.begin() + static_cast<ptrdiff_t>(end));
    }
    const bool most = 2 * tied.size() > static_cast<size_t>(rowcount());
    if (most && all.empty()) {
      all.resize(static_cast<size_t>(rowcount()));
      std::iota(all.begin(), all.end(), 0);
    }
    const std::vector<uint32_t> keys = columns[k]->sortkeys(most ? all : tied);
    std::vector<std::pair<size_t, size_t>> stilltied;
    size_t at = 0;  // where the run's keys begin among the tied rows
    for (const auto& [begin, end] : ties) {
      words.clear();
      for (size_t i = begin; i < end; ++i, ++at) {
        words.push_back(keyed(keys[most ? static_cast<size_t>(rows[i]) : at], rows[i]));
      }
      sortbykey(words, scratch);
      for (size_t i = begin; i < end;) {
        size_t run = i + 1;
        while (run < end && keyof(words[run - begin]) == keyof(words[i - begin])) ++run;
        if (run - i > 1) stilltied.emplace_back(i, run);
        i = run;
      }
      for (size_t i = begin; i < end; ++i) rows[i] = rowof(words[i - begin]);
    }
    ties.swap(stilltied);
  }
  // What still ties after the last column are equal rows: the first of each run stays.
  std::vector<bool> repeated(rows.size(), false);
  for (const auto& [begin, end] : ties) {
    for (size_t i = begin + 1; i < end; ++i) repeated[i] = true;
  }
  size_t kept = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!repeated[i]) rows[kept++] = rows[i];
  }
  rows.resize(kept);
  return rows;
}

}  // namespace relalg
