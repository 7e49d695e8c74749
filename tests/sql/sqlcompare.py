#!/usr/bin/env python3
"""Inputs run by relalg and, as SQL scripts, by sqlite3, DuckDB or PostgreSQL: the rows must agree.

Usage: sqlcompare.py --relalg PATH --explain PATH [--cases N] [--seed S]
                     [--inputs FILE...] [--duckdb BENCH | --postgres PSQL]
The inputs are generated, or the files given with --inputs. With --duckdb, the scripts are
written for DuckDB and run in it through the node package in BENCH/node_modules, and the test
is skipped (exit status 77) where node or the package is missing. With --postgres, they are
written for PostgreSQL and run by PSQL in the server that PGHOST, PGUSER and PGDATABASE name
(tests/sql/pgcluster.sh starts a throwaway one), each in a transaction rolled back after it.

Each case is a well-formed input (ints and texts, repeated column names, joins, unions,
differences, nested selections). Its script, run by the engine, must give exactly the rows of
relalg's result table, in order, printed as relalg prints them, unless comment lines before
the statement warn that SQL may answer otherwise. Prints the count of cases, agreements and
warnings; exits 1 when an unwarned case disagrees or a script fails.
"""
import argparse
import bisect
import functools
import os
import random
import re
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


def splitscript(script):
    """The script's table statements and comment lines, and the query's statement after them."""
    lines = script.split(b"\n")
    start = next(i for i, line in enumerate(lines) if line.startswith((b"WITH", b"SELECT")))
    return b"\n".join(lines[:start] + [b""]), b"\n".join(lines[start:])


def warnings(script):
    """The comment lines right before the query's statement."""
    lines = splitscript(script)[0].split(b"\n")[:-1]
    found = []
    while lines and lines[-1].startswith(b"-- "):
        found.append(lines.pop())
    return found


class outcome:
    """An engine's run of one script: whether it ended well, the rows it printed, its messages.

    runsqlite3, runduckdb and runpostgres take the scripts and a work folder, and yield one
    for each script, in order.
    """

    def __init__(self, ok, rows, error=b""):
        self.ok = ok
        self.rows = rows
        self.error = error


def runsqlite3(sqlite3, scripts, work):
    for script in scripts:
        run = subprocess.run([sqlite3, "-bail", "-quote", ":memory:"], input=script,
                             capture_output=True)
        yield outcome(run.returncode == 0, run.stdout.split(b"\n")[:-1], run.stderr)


def runduckdb(bench, scripts, work):
    # One node process for every script: starting one per script would take most of the time.
    names = []
    for number, script in enumerate(scripts):
        names.append(os.path.join(work, "case%d.sql" % number))
        with open(names[-1], "wb") as f:
            f.write(script)
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run(["node", os.path.join(here, "sqlduckdb.mjs"), bench] + names, check=True)
    for name in names:
        if os.path.exists(name + ".error"):
            with open(name + ".error", "rb") as f:
                yield outcome(False, [], f.read())
        else:
            with open(name + ".rows", "rb") as f:
                yield outcome(True, f.read().split(b"\n")[:-1])


def pgvalue(value, kind):
    """A value as relalg prints it; a type relalg has no values of is shown with the value."""
    if kind in (b"integer", b"bigint", b"smallint"):
        return value
    if kind == b"text":
        return b"'" + value.replace(b"'", b"''") + b"'"
    return value + b"::" + kind


def runpostgres(psql, scripts, work):
    # One psql session runs every script, each in a transaction that is rolled back, so no case
    # sees another's tables; a script's messages are those whose input line falls within it.
    # psql ends fields and rows with NUL bytes, which no text of PostgreSQL holds, and writes
    # each statement's column types, asked with \gdesc, and rows to files of their own.
    parts, starts, lines = [], [], 1
    for number, script in enumerate(scripts):
        starts.append(lines)
        tables, statement = splitscript(script)
        asked = statement.rstrip(b"\n")[:-1]  # without its ";"
        name = os.path.join(work, "case%d" % number).encode()
        parts.append(b"BEGIN;\n" + tables + b"\\o " + name + b".types\n" + asked +
                     b"\n\\gdesc\n\\o " + name + b".rows\n" + statement + b"\\o\nROLLBACK;\n")
        lines += parts[-1].count(b"\n")
    run = subprocess.run([psql, "-X", "-q", "-A", "-t", "-z", "-0", "-f", "-"],
                         input=b"".join(parts), capture_output=True,
                         env=dict(os.environ, PGCLIENTENCODING="UTF8"))
    messages = [b""] * len(scripts)
    failed = [False] * len(scripts)
    number = -1
    for line in run.stderr.split(b"\n"):
        # psql:<stdin>:LINE: ERROR:  ..., then the message's further lines; notices only tell.
        found = re.match(rb"psql:<stdin>:(\d+): (\w+):", line)
        if found:
            number = bisect.bisect_right(starts, int(found.group(1))) - 1
            if found.group(2) in (b"ERROR", b"FATAL", b"PANIC"):
                failed[number] = True
        if line:
            messages[max(number, 0)] += line + b"\n"
    if run.returncode != 0:
        # psql could not connect, or lost its connection: no case's rows can be trusted.
        messages, failed = [run.stderr] * len(scripts), [True] * len(scripts)
    for number, message in enumerate(messages):
        name = os.path.join(work, "case%d" % number)
        if failed[number]:
            yield outcome(False, [], message)
            continue
        with open(name + ".types", "rb") as f:
            kinds = f.read().split(b"\0")[1::2]
        with open(name + ".rows", "rb") as f:
            fields = f.read().split(b"\0")[:-1]
        width = len(kinds)
        yield outcome(True, [b",".join(pgvalue(v, k) for v, k in zip(fields[i:i + width], kinds))
                             for i in range(0, len(fields), width)], message)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--relalg", required=True)
    parser.add_argument("--explain", required=True, help="relalg-explain, run with --sql")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int, default=13)
    parser.add_argument("--sqlite3", default="sqlite3")
    parser.add_argument("--duckdb", metavar="BENCH")
    parser.add_argument("--postgres", metavar="PSQL",
                        help="psql, for the server that PGHOST, PGUSER and PGDATABASE name")
    parser.add_argument("--inputs", nargs="+", default=[])
    args = parser.parse_args()
    if args.duckdb and not (shutil.which("node") and
                            os.path.isdir(os.path.join(args.duckdb, "node_modules", "@duckdb"))):
        print("skipped: node or the DuckDB package is missing (npm ci --prefix bench)")
        return 77
    if args.postgres and not shutil.which(args.postgres):
        print("skipped: psql is missing")
        return 77
    if args.postgres:
        engine, dialect, run = "PostgreSQL", "postgres", functools.partial(runpostgres,
                                                                           args.postgres)
    elif args.duckdb:
        engine, dialect, run = "DuckDB", "duckdb", functools.partial(runduckdb, args.duckdb)
    else:
        engine, dialect, run = "sqlite3", "sqlite", functools.partial(runsqlite3, args.sqlite3)
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
        expected, scripts = [], []
        for text in cases:
            with open(source, "wb") as f:
                f.write(text)
            subprocess.run([args.relalg, source, output], check=True)
            with open(output, "rb") as f:
                expected.append(resultrows(f.read()))
            scripts.append(subprocess.run([args.explain, "--sql", "--dialect=" + dialect, source],
                                          check=True, capture_output=True).stdout)
        for number, got in enumerate(run(scripts, work)):
            notes = warnings(scripts[number])
            if notes:
                warned += 1
            if got.ok and got.rows == expected[number]:
                agree += 1
            elif notes:
                warneddiffer += 1
            else:
                failures.append((number, cases[number], scripts[number], expected[number],
                                 got.rows, got.error))
    print("sql against %s: %d cases, %d agree, %d with warnings (%d of them differ), "
          "%d fail" % (engine, len(cases), agree, warned, warneddiffer, len(failures)))
    for number, text, script, rows, got, error in failures[:5]:
        shown = [text, script, b"\n".join(rows), b"\n".join(got), error]
        print("--- case %d\n%s\n--- script\n%s--- relalg\n%s\n--- engine\n%s\n%s" % (
            (number,) + tuple(b.decode(errors="replace") for b in shown)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
