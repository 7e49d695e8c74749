// Reading integers as atoi reads them and texts between quotes.
#include "input/values.h"

#include <cstring>

namespace relalg {

namespace {

// An integer field that is not as printed, read as atoi reads it.
readflags readother(std::string_view field, std::vector<int32_t>& into) {
  const intreading r = readint(field);
  into.push_back(r.number);
  if (field.empty()) return readflag::empty;
  if (!r.digits) return readflag::nodigits;
  // Ten digits within the range print back as they stand.
  intbuffer buffer;
  if (!r.saturated && !r.trailing && inttotext(r.number, buffer) == field) return 0;
  readflags flags = readflag::reformatted;
  if (r.saturated) flags |= readflag::saturated;
  if (r.trailing) flags |= readflag::trailing;
  return flags;
}

}  // namespace

readflags readvalue(source& ip, column& into) {
  if (into.type().holdsintegers()) {
    // An empty field (its separator comes first) reads as 0 and leaves the separator.
    const std::string_view field = ip.takeuntil(',', '\n');
    const char* p = field.data();
    const char* const end = p + field.size();
    int32_t number;
    std::vector<int32_t>& numbers = into.integerlist();
    if (printedint(p, end, number) && p == end) {
      numbers.push_back(number);
      return 0;
    }
    return readother(field, numbers);
  }
  const int first = ip.peek();
  // An empty field (its separator comes first) is the empty text and leaves the separator.
  if (first == ',' || first == '\n' || first == source::end) {
    into.addvalue({});
    return readflag::empty;
  }
  ip.skip();  // the opening quote, dropped whatever it is
  const std::string_view item = ip.takeuntil('\'', '\n');
  const bool closed = ip.peek() == '\'';
  if (closed) ip.skip();  // the closing quote; a line feed stays and ends the row
  if (item.size() < textref::longtext) {
    into.textlist(ip.bytes()).push_back(textref::shorttext(item.data(), item.size()));
  } else {
    into.addvalue(item);  // copied, with its length
  }
  return static_cast<readflags>((first == '\'' ? 0 : readflag::unquoted) |
                                (closed ? 0 : readflag::unclosed));
}

}  // namespace relalg
