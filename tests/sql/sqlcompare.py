#!/usr/bin/env python3
"""Inputs run by relalg and, as SQL scripts, by sqlite3 or DuckDB: the rows must agree.

Usage: sqlcompare.py --relalg PATH --explain PATH [--cases N] [--seed S]
                     [--inputs FILE...] [--duckdb BENCH]
The inputs are generated, or the files given with --inputs. With --duckdb, the scripts are
written for DuckDB and run in it through the node package in BENCH/node_modules, and the test
is skipped (exit status 77) where node or the package is missing.

Each case is a well-formed input (ints and texts, repeated column names, joins, unions,
differences, nested selections). Its script, run by sqlite3 in quote mode, must print exactly
the rows of relalg's result table, in order, unless comment lines before the statement warn
that SQL may answer otherwise. Prints the count of cases, agreements and warnings; exits 1
when an unwarned case disagrees or a script fails.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

COLUMNS = ["a", "b", "c", "x", "A"]
TEXTS = ["a", "b", "ab", "B", "Ann", "10", "9", "5", "-3", "x y", " 7", "12z", "0", "3000000000",
         "\u00e9"]


class generator:
    def __init__(self, rng):
        self.rng = rng

    def value(self, isint):
        r = self.rng
        if isint:
            return str(r.choice([-3, 0, 1, 2, 5, 7, 9, 10, 12, r.randint(-50, 50)]))
        return "'" + r.choice(TEXTS) + "'"

    def tables(self):
        r = self.rng
        tables = []
        for i in range(r.randint(1, 4)):
            # Now and then a name given twice: the later table replaces the earlier.
            name = r.choice(["t1", "t2", "t3"]) if r.random() < 0.1 else "t%d" % (i + 1)
            count = r.randint(1, 3)
            names = [r.choice(COLUMNS[:3]) if r.random() < 0.25 else COLUMNS[k]
                     for k in range(count)]
            types = [r.random() < 0.5 for _ in names]
            rows = [[self.value(t) for t in types] for _ in range(r.randint(1, 6))]
            # Repeated rows now and then, for the sorted distinct operators.
            if r.random() < 0.3:
                rows.append(list(r.choice(rows)))
            tables.append((name, names, types, rows))
        return tables

    def condition(self, names, depth):
        r = self.rng
        if depth > 0 and r.random() < 0.35:
            kind = r.choice(["AND", "OR", "NOT"])
            if kind == "NOT":
                return "NOT(%s)" % self.condition(names, depth - 1)
            return "%s(%s,%s)" % (kind, self.condition(names, depth - 1),
                                  self.condition(names, depth - 1))
        if r.random() < 0.03:
            return "eq(a,1)"  # unrecognised: answers no
        op = r.choice(["EQ", "NEQ", "LT", "LTE", "GT", "GTE"])
        # Mostly a column against a constant or another column; now and then two constants.
        return "%s(%s,%s)" % (op, self.operand(names, 0.9), self.operand(names, 0.35))

    def operand(self, names, columnshare):
        r = self.rng
        p = r.random()
        if names and p < columnshare:
            return r.choice(names)
        if p < (1 + columnshare) / 2:
            return str(r.choice([0, 1, 5, 9, 10, -3, 99999999999]))
        return "'" + r.choice(TEXTS) + "'"

    def query(self, schemas, depth):
        """An expression and the column names of its value."""
        r = self.rng
        if depth == 0 or r.random() < 0.2:
            if r.random() < 0.02:
                return "nosuch", []
            name = r.choice(list(schemas))
            return name, schemas[name]
        kind = r.choice(["select", "select", "project", "rename", "product", "join",
                         "union", "minus"])
        first, names = self.query(schemas, depth - 1)
        if kind == "select":
            return "select(%s,%s)" % (first, self.condition(names, 1)), names
        if kind == "project":
            picked = [r.choice(names + ["zz"]) for _ in range(r.randint(1, 3))] if names else ["a"]
            kept = []
            for p in picked:
                if p in names:
                    kept.append(p)
            return "project(%s,%s)" % (first, ",".join(picked)), kept
        if kind == "rename":
            new = [r.choice(["a", "b", "p", "q", "p"]) for _ in names]
            return "rename(%s,R(%s))" % (first, ",".join(new) or "z"), new
        second, others = self.query(schemas, depth - 1)
        if kind == "product":
            return "product(%s,%s)" % (first, second), names + others
        if kind == "join" and names and others:
            # A selection over a product, which relalg matches by keys.
            return "select(product(%s,%s),EQ(%s,%s))" % (
                first, second, r.choice(names), r.choice(others)), names + others
        if kind == "join":
            return "product(%s,%s)" % (first, second), names + others
        if kind == "minus" and r.random() < 0.15:
            second, others = first, names  # a row matching itself
        return "%s(%s,%s)" % (kind, first, second), names

    def case(self):
        tables = self.tables()
        schemas = {name: names for name, names, _, _ in tables}
        query, names = self.query(schemas, self.rng.randint(1, 4))
        # Most selections at the top, where the result's order is shown.
        if self.rng.random() < 0.3:
            query = "select(%s,%s)" % (query, self.condition(names, 1))
        lines = [query, ""]
        for name, columns, types, rows in tables:
            declared = ", ".join("%s %s" % (c, "int" if t else "char(%d)" % self.rng.randint(1, 9))
                                 for c, t in zip(columns, types))
            lines.append("%s(%s)" % (name, declared))
            lines.extend(",".join(row) for row in rows)
            lines.append("")
        return "\n".join(lines)


def resultrows(output):
    """The rows of the last table of relalg's output."""
    blocks = [b for b in output.split(b"\n\n") if b]
    return blocks[-1].split(b"\n")[1:]


def warnings(script):
    """The comment lines right before the query's statement."""
    lines = script.split(b"\n")
    start = next(i for i, line in enumerate(lines) if line.startswith((b"WITH", b"SELECT")))
    found = []
    while start > 0 and lines[start - 1].startswith(b"-- "):
        start -= 1
        found.append(lines[start])
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--relalg", required=True)
    parser.add_argument("--explain", required=True, help="relalg-explain, run with --sql")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int, default=13)
    parser.add_argument("--sqlite3", default="sqlite3")
    parser.add_argument("--duckdb", metavar="BENCH")
    parser.add_argument("--inputs", nargs="+", default=[])
    args = parser.parse_args()
    if args.duckdb and not (shutil.which("node") and
                            os.path.isdir(os.path.join(args.duckdb, "node_modules", "@duckdb"))):
        print("skipped: node or the DuckDB package is missing (npm ci --prefix bench)")
        return 77
    explain = [args.explain, "--sql"] + (["--dialect=duckdb"] if args.duckdb else [])
    here = os.path.dirname(os.path.abspath(__file__))
    gen = generator(random.Random(args.seed))
    if args.inputs:
        cases = []
        for name in args.inputs:
            with open(name, "rb") as f:
                cases.append(f.read())
    else:
        cases = [gen.case().encode() for _ in range(args.cases)]
    agree = warned = warneddiffer = 0
    failures = []
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "case.txt")
        output = os.path.join(work, "out.txt")
        for number, text in enumerate(cases):
            with open(source, "wb") as f:
                f.write(text)
            subprocess.run([args.relalg, source, output], check=True)
            with open(output, "rb") as f:
                expected = resultrows(f.read())
            script = subprocess.run(explain + [source], check=True, capture_output=True).stdout
            if args.duckdb:
                with open(os.path.join(work, "case.sql"), "wb") as f:
                    f.write(script)
                run = subprocess.run(["node", os.path.join(here, "sqlduckdb.mjs"), args.duckdb,
                                      f.name], capture_output=True)
            else:
                run = subprocess.run([args.sqlite3, "-bail", "-quote", ":memory:"], input=script,
                                     capture_output=True)
            got = run.stdout.split(b"\n")[:-1]
            notes = warnings(script)
            if notes:
                warned += 1
            if run.returncode == 0 and got == expected:
                agree += 1
            elif notes:
                warneddiffer += 1
            else:
                failures.append((number, text, script, expected, got, run.stderr))
    print("sql against %s: %d cases, %d agree, %d with warnings (%d of them differ), "
          "%d fail" % ("DuckDB" if args.duckdb else "sqlite3", len(cases), agree, warned, warneddiffer, len(failures)))
    for number, text, script, expected, got, error in failures[:5]:
        shown = [text, script, b"\n".join(expected), b"\n".join(got), error]
        print("--- case %d\n%s\n--- script\n%s--- relalg\n%s\n--- engine\n%s\n%s" % (
            (number,) + tuple(b.decode(errors="replace") for b in shown)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
