// Collecting a table's values, with each refused where relalg would not read it back.
#include "import/importedtable.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "import/relalgrules.h"

namespace relalgimport {

importedtable::importedtable(std::string name, std::string origin, const importoptions& options)
    : name(std::move(name)), origin(std::move(origin)), options(&options) {
  if (const std::string_view flaw = nameflaw(this->name); !flaw.empty()) {
    throw refusal(this->origin + ": the table name \"" + shown(this->name) + "\" " +
                  std::string(flaw) + ", which relalg would not read back");
  }
}

void importedtable::namecolumns(std::vector<std::string> names) {
  for (size_t k = 0; k < names.size(); ++k) {
    if (const std::string_view flaw = nameflaw(names[k]); !flaw.empty()) {
      throw refusal(origin + ": column " + std::to_string(k + 1) + " of the header: the name \"" +
                    shown(names[k]) + "\" " + std::string(flaw) +
                    ", which relalg would not read back");
    }
    columns.push_back({std::move(names[k])});
  }
}

void importedtable::add(size_t k, std::string_view value, bool maybeint) {
  importedcolumn& c = columns[k];
  const size_t before = values.size();
  size_t i = 0;
  while (i < value.size() && !flawsvalue(value[i])) ++i;
  if (i == value.size()) {
    values.append(value);
  } else {
    addflawed(k, value, i);
  }
  // Only a value without flaws is written as is, so only it may read back as an int.
  if (c.integers && !(maybeint && i == value.size() && readsasint(value))) {
    c.integers = false;
  }
  c.width = std::max(c.width, values.size() - before);
  values += '\0';
  ++count;
}

void importedtable::addflawed(size_t k, std::string_view value, size_t flaw) {
  // Only quotes have a stand-in; the first flaw that has none refuses the value.
  if (value[flaw] != '\'' || !options->quote) {
    throw refusal(at(k) + ": the value " + std::string(valueflaw(value[flaw])));
  }
  values.append(value.substr(0, flaw));
  for (size_t i = flaw; i < value.size(); ++i) {
    if (value[i] == '\'') {
      values += *options->quote;
    } else if (flawsvalue(value[i])) {
      throw refusal(at(k) + ": the value " + std::string(valueflaw(value[i])));
    } else {
      values += value[i];
    }
  }
}

void importedtable::addnull(size_t k) {
  if (!options->null) {
    throw refusal(at(k) +
                  ": the value is NULL, which relalg has no value for (--null TEXT "
                  "writes TEXT in its place)");
  }
  add(k, *options->null, true);
}

std::string importedtable::at(size_t k) const {
  return origin + ": row " + std::to_string(count / columns.size() + 1) + ", column " +
         std::to_string(k + 1) + " (" + shown(columns[k].name) + ")";
}

std::string shown(std::string_view name) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

void refuserepeatednames(const std::vector<importedtable>& tables) {
  std::unordered_map<std::string_view, const importedtable*> first;
  for (const importedtable& t : tables) {
    const auto [earlier, added] = first.emplace(t.name, &t);
    if (!added) {
      throw refusal(t.origin + ": the table name \"" + shown(t.name) + "\" is taken by " +
                    earlier->second->origin + ", and relalg would only find the first");
    }
  }
}

}  // namespace relalgimport
