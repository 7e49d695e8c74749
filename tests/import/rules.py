#!/usr/bin/env python3
"""relalg-import's rules for ints and names checked against relalg itself.

Usage: rules.py --relalg PATH --import PATH --sqlite3 PATH

Ints: a one-column CSV file of each text must give an int column exactly when relalg, reading
the text in an int column, prints it back unchanged. Names: a column (from a CSV header) or a
table (from an SQLite database) of each name must be refused exactly when relalg would not read
the name back or a projection could not name it, or it holds a single quote or a carriage
return, refused though relalg reads them. Exits 1 on the first disagreement, naming it.
"""
import argparse
import os
import subprocess
import sys
import tempfile

INTS = ["0", "7", "-7", "10", "2147483647", "-2147483648", "007", "00", "+7", "-0", " 7", "7 ",
        "2147483648", "-2147483649", "99999999999", "4294967303", "", "-", "+", "1e3", "0x10",
        "12abc", "--1", "- 1", "\u0663", "1.0"]
# Refused though relalg reads them: a quote toggles the keeping of blanks in a query, and a
# carriage return is a line break to most tools.
REFUSED = set("'\r")
NAMES = ["a", "A1", "_x", "a.b", "select", "\u00e9t\u00e9", "a\"b", "a;b", "a=b", "a b", " a",
         "a ", "a\tb", "a(b", "a)b", "a,b", "a\nb", "a\rb", "a'b", "'", ""]


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)


def relalgreads(relalg, scratch, query, table):
    """Whether relalg's output repeats the input's table and gives it as the query's result."""
    path = os.path.join(scratch, "in.txt")
    with open(path, "wb") as f:
        f.write(query + b"\n\n" + table + b"\n")
    run([relalg, path, path + ".out"]).check_returncode()
    with open(path + ".out", "rb") as f:
        return f.read()


def imported(tool, arguments):
    done = run([tool] + arguments)
    if done.returncode not in (0, 1):
        sys.exit("relalg-import %s exited with %d" % (arguments, done.returncode))
    return done.stdout if done.returncode == 0 else None


def csvfield(text):
    return '"' + text.replace('"', '""') + '"'


def main():
    parser = argparse.ArgumentParser()
    for option in ("relalg", "import", "sqlite3"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    tool = getattr(args, "import")
    with tempfile.TemporaryDirectory() as scratch:
        csv = os.path.join(scratch, "t.csv")
        for text in INTS:
            with open(csv, "w", encoding="utf-8", newline="") as f:
                f.write("a\n" + csvfield(text) + "\n")
            table = b"t(a int)\n" + text.encode()
            readsback = relalgreads(args.relalg, scratch, b"t", table).startswith(
                b"t\n\n" + table + b"\n\n")
            declared = imported(tool, [csv]).split(b"\n")[2]
            if (declared == b"t(a int)") != readsback:
                sys.exit("%r: relalg-import declares %r, relalg %s it back" %
                         (text, declared, "reads" if readsback else "does not read"))
        for name in NAMES:
            raw = name.encode()
            with open(csv, "w", encoding="utf-8", newline="") as f:
                f.write(csvfield(name) + ",b\n1,2\n")
            table = b"t(" + raw + b" int, b int)\n1,2"
            query = b"project(t," + raw + b")"
            output = relalgreads(args.relalg, scratch, query, table)
            works = output == query + b"\n\n" + table + b"\n\n(" + raw + b" int)\n1\n\n"
            accepted = imported(tool, [csv]) is not None
            if accepted != (works and not set(name) & REFUSED):
                sys.exit("column %r: relalg-import %s it, relalg %s it" %
                         (name, "takes" if accepted else "refuses",
                          "reads" if works else "does not read"))
            database = os.path.join(scratch, "t%d.db" % NAMES.index(name))
            sql = 'CREATE TABLE "%s" (a INTEGER); INSERT INTO "%s" VALUES (1);' % (
                (name.replace('"', '""'),) * 2)
            run([args.sqlite3, database], input=sql.encode()).check_returncode()
            table = raw + b"(a int)\n1"
            query = b"project(" + raw + b",a)"
            output = relalgreads(args.relalg, scratch, query, table)
            works = output == query + b"\n\n" + table + b"\n\n(a int)\n1\n\n"
            accepted = imported(tool, [database]) is not None
            if accepted != (works and not set(name) & REFUSED):
                sys.exit("table %r: relalg-import %s it, relalg %s it" %
                         (name, "takes" if accepted else "refuses",
                          "reads" if works else "does not read"))
    print("rules: %d texts and %d names agree with relalg" % (len(INTS), len(NAMES)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
