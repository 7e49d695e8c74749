// Reading the query section.
#include "input/querysection.h"

namespace relalg {

querysection readquerysection(source& ip) {
  querysection q;
  int quotes = 0;
  char c;
  // The end of the input inside the section ends it: the query is what was read.
  while (ip.read(c)) {
    if (c == '\'') ++quotes;
    // A blank inside quotes stays; tabs and line feeds never do.
    const bool kept = c != '\n' && c != '\t' && (c != ' ' || quotes % 2 == 1);
    if (kept) q.query += c;
    q.written += c;
    if (c == '\n' && ip.peek() == '\n') break;
    if (c == '\n') q.linestarts.push_back(q.query.size());
  }
  ip.skip();  // the line feed of the empty line that closes the section
  while (ip.peek() == '\n') ip.skip();
  return q;
}

}  // namespace relalg
