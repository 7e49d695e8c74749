// The hash index of a join operand's rows by their key values.
#include "operators/join/keyindex.h"

#include <algorithm>

#include "model/rowhash.h"
#include "model/textint.h"
#include "operators/condition/comparison.h"

namespace relalg {

namespace {

// A column's value of a row as an equality compares it: an integer reading, or a text.
int32_t readingof(const column& c, int32_t row) {
  if (c.type().holdsintegers()) return c.integers()[static_cast<size_t>(row)];
  return texttoint(stripquotes(c.texts()[static_cast<size_t>(row)].view()));
}
std::string_view textof(const column& c, int32_t row, intbuffer& buffer) {
  return stripquotes(c.valueview(row, buffer));
}

// Each key part's values of the given rows, as a column of their own: integer readings, or
// texts (views of the column's own bytes where they are its texts).
std::vector<column> keycolumns(const std::vector<int32_t>& rows,
                               const std::vector<keypart>& parts) {
  std::vector<column> keys;
  for (const keypart& k : parts) {
    const column& from = *k.build;
    if (k.isint) {
      column c("", columntype::integer());
      std::vector<int32_t>& values = c.integerlist();
      values.reserve(rows.size());
      for (const int32_t row : rows) values.push_back(readingof(from, row));
      keys.push_back(std::move(c));
      continue;
    }
    column c("", columntype::text(1));
    c.reserve(static_cast<int32_t>(rows.size()));
    intbuffer buffer;
    for (const int32_t row : rows) c.addvalue(textof(from, row, buffer));
    keys.push_back(std::move(c));
  }
  return keys;
}

}  // namespace

keyindex::keyindex(const std::vector<int32_t>& rows, std::vector<keypart> keyparts)
    : parts(std::move(keyparts)), keys(keycolumns(rows, parts)), keylists(keys), groups(keylists) {
  // The rows themselves, group by group, each group's in the order given.
  members.reserve(rows.size());
  for (size_t g = 0; g < groups.count(); ++g) {
    for (const uint32_t* i = groups.first(g); i != groups.last(g); ++i) members.push_back(rows[*i]);
  }
}

uint64_t keyindex::probehash(const int32_t* bound) const {
  rowhasher h;
  for (const keypart& k : parts) {
    const int32_t row = bound[k.probeslot];
    if (k.isint) {
      h.addinteger(readingof(*k.probe, row));
    } else {
      intbuffer buffer;
      h.addtext(textof(*k.probe, row, buffer));
    }
  }
  return h.hash();
}

keyindex::match keyindex::find(const int32_t* bound) const {
  intbuffer digits;  // an integer compared with a key's text, written out
  const size_t g =
      groups.lookup(probehash(bound), [&](size_t k, int32_t& number, std::string_view& text) {
        const keypart& part = parts[k];
        const int32_t row = bound[part.probeslot];
        if (part.isint) {
          number = readingof(*part.probe, row);
        } else if (part.probe->type().holdsintegers()) {
          text = textof(*part.probe, row, digits);
        } else {
          text = stripquotes(part.probe->texts()[static_cast<size_t>(row)].view());
        }
      });
  if (g == rowgroups::none) return {};
  const size_t first = static_cast<size_t>(groups.first(g) - groups.first(0));
  const size_t last = static_cast<size_t>(groups.last(g) - groups.first(0));
  return {members.data() + first, members.data() + last};
}

bool keyindex::probesfirst() const {
  return std::all_of(parts.begin(), parts.end(), [](const keypart& k) { return k.probeslot == 0; });
}

void keyindex::fetchahead(int32_t row) const {
  for (const keypart& k : parts) {
    const auto at = static_cast<size_t>(row);
    if (k.probe->type().holdsintegers()) {
      __builtin_prefetch(&k.probe->integers()[at]);
    } else {
      __builtin_prefetch(&k.probe->texts()[at]);
    }
  }
}

void keyindex::fetchnext(int32_t row) const {
  rowhasher h;
  for (const keypart& k : parts) {
    // A key read from text waits for its bytes: they are fetched, and the slot is not.
    if (!k.isint || !k.probe->type().holdsintegers()) {
      if (!k.probe->type().holdsintegers()) {
        __builtin_prefetch(k.probe->texts()[static_cast<size_t>(row)].view().data());
      }
      return;
    }
    h.addinteger(k.probe->integers()[static_cast<size_t>(row)]);
  }
  groups.fetch(h.hash());
}

}  // namespace relalg
