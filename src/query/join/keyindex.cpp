// The hash index of an operand's rows by their key values.
#include "query/join/keyindex.h"

#include <algorithm>

#include "condition/comparison.h"
#include "model/keysort.h"
#include "model/texthash.h"

namespace relalg {

keyreader::keyreader(const column& from, bool isint)
    : c(&from),
      numbers(dynamic_cast<const intcolumn*>(&from)),
      texts(dynamic_cast<const charcolumn*>(&from)),
      asint(isint) {}

void keyreader::fetchvalue(int32_t row) const {
  if (numbers) __builtin_prefetch(&numbers->values.get()[static_cast<size_t>(row)]);
  if (texts) __builtin_prefetch(&texts->values.get()[static_cast<size_t>(row)]);
}

void keyreader::fetchtext(int32_t row) const {
  if (texts) __builtin_prefetch(texts->at(row).data());
}

int32_t keyreader::number(int32_t row) const {
  if (numbers) return numbers->at(row);
  intbuffer buffer;
  return texttoint(text(row, buffer));
}

std::string_view keyreader::text(int32_t row, intbuffer& buffer) const {
  return stripquotes(c->valueview(row, buffer));
}

keyindex::keyindex(const std::vector<int32_t>& rows, const std::vector<keypart>& keys)
    : given(rows), numbers(keys.size()), texts(keys.size()) {
  for (const keypart& k : keys) {
    builds.emplace_back(*k.build.c, k.isint);
    probes.emplace_back(*k.probe.c, k.isint);
    probeslots.push_back(k.probe.slot);
  }
  entries.reserve(given.size());
  for (size_t i = 0; i < given.size(); ++i) {
    uint64_t h = 0;
    for (const keyreader& k : builds) {
      intbuffer buffer;
      h = k.isint() ? hashnumber(k.number(given[i]), h) : hashtext(k.text(given[i], buffer), h);
    }
    entries.push_back(keyed(static_cast<uint32_t>(h), static_cast<int32_t>(i)));
  }
  std::vector<uint64_t> scratch;
  sortbykey(entries, scratch);
  // The key values in entry order, so that a run's keys are compared in sequence.
  for (size_t k = 0; k < builds.size(); ++k) {
    for (const uint64_t entry : entries) {
      const int32_t at = given[static_cast<size_t>(rowof(entry))];
      if (builds[k].isint() || builds[k].holdsintegers()) {
        numbers[k].push_back(builds[k].number(at));
      } else {
        intbuffer unused;  // a text column's values are views of its own bytes
        texts[k].push_back(builds[k].text(at, unused));
      }
    }
  }
  size_t size = 64;
  while (size < 2 * entries.size()) size *= 2;
  slots.assign(size, run{});
  for (size_t i = 0; i < entries.size();) {
    size_t last = i + 1;
    while (last < entries.size() && keyof(entries[last]) == keyof(entries[i])) ++last;
    size_t at = slotof(keyof(entries[i]));
    while (slots[at].count != 0) at = (at + 1) & (slots.size() - 1);
    slots[at] = {keyof(entries[i]), static_cast<uint32_t>(i), static_cast<uint32_t>(last - i)};
    i = last;
  }
}

probekey keyindex::newkey() const {
  probekey key;
  key.numbers.resize(probes.size());
  key.texts.resize(probes.size());
  key.written.resize(probes.size());
  return key;
}

bool keyindex::probesfirst() const {
  return std::all_of(probeslots.begin(), probeslots.end(), [](int32_t slot) { return slot == 0; });
}

void keyindex::fetchahead(int32_t row) const {
  for (const keyreader& k : probes) k.fetchvalue(row);
}

void keyindex::fetchnext(int32_t row) const {
  uint64_t h = 0;
  for (const keyreader& k : probes) {
    // A key read from text waits for its bytes: they are fetched, and the slot is not.
    if (!k.isint() || !k.holdsintegers()) return k.fetchtext(row);
    h = hashnumber(k.number(row), h);
  }
  __builtin_prefetch(&slots[slotof(static_cast<uint32_t>(h))]);
}

size_t keyindex::slotof(uint32_t hash) const {
  // A multiply spreads hashes that differ in their high bits only.
  return static_cast<size_t>(hash * 0x9e3779b1u) & (slots.size() - 1);
}

std::pair<size_t, size_t> keyindex::candidates(const int32_t* rows, probekey& key) const {
  uint64_t h = 0;
  for (size_t k = 0; k < probes.size(); ++k) {
    const int32_t row = rows[probeslots[k]];
    if (probes[k].isint()) {
      key.numbers[k] = probes[k].number(row);
      h = hashnumber(key.numbers[k], h);
    } else {
      key.texts[k] = probes[k].text(row, key.written[k].buffer);
      h = hashtext(key.texts[k], h);
    }
  }
  key.hash = static_cast<uint32_t>(h);
  for (size_t at = slotof(key.hash); slots[at].count != 0; at = (at + 1) & (slots.size() - 1)) {
    if (slots[at].hash == key.hash) return {slots[at].first, slots[at].first + slots[at].count};
  }
  return {0, 0};
}

bool keyindex::matches(size_t entry, const probekey& key) const {
  for (size_t k = 0; k < builds.size(); ++k) {
    if (builds[k].isint()) {
      if (numbers[k][entry] != key.numbers[k]) return false;
    } else if (builds[k].holdsintegers()) {
      intbuffer buffer;
      if (inttotext(numbers[k][entry], buffer) != key.texts[k]) return false;
    } else if (texts[k][entry] != key.texts[k]) {
      return false;
    }
  }
  return true;
}

}  // namespace relalg
