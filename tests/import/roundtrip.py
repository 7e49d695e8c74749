#!/usr/bin/env python3
"""Every golden input carried through SQLite and back must give the tables relalg reads.

Usage: roundtrip.py --relalg PATH --explain PATH --import PATH --sqlite3 PATH INPUT_OR_FOLDER...

For each input, `relalg-explain --sql` is loaded into a new database by sqlite3, and
`relalg-import` of that database must write the tables that relalg's own output file repeats
as it read them: names, columns, types and rows byte for byte. Only the width of a text column
may differ, and relalg-import's must be its longest value in bytes (1 at the least).

Inputs whose tables cannot make the trip are skipped, each with its reason, and counted: NUL
bytes (SQL text cannot carry them), a table name holding a line feed, two tables of one name
or a name the script renames (SQL keeps one, or another name), a table without columns or named
sqlite_... (SQL has none), and names or texts that relalg-import refuses; for those two the
refusal itself is checked. Exits 1 when any other input comes back otherwise.
"""
import argparse
import collections
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

# What relalg-import refuses in a name and in a text value.
NAMEFLAWS = set(b" \t(),\n\r'\0")
VALUEFLAWS = set(b"'\n\r\0")


def inputs(paths):
    for path in paths:
        if os.path.isdir(path):
            for folder, _, files in sorted(os.walk(path)):
                for name in sorted(files):
                    if name.endswith(".in"):
                        yield os.path.join(folder, name)
        else:
            yield path


def tablesafter(text):
    """The tables that follow the query section, each as (header, rows)."""
    end = text.find(b"\n\n")
    blocks = text[end + 2:].split(b"\n\n") if end >= 0 else []
    return [(block.split(b"\n")[0], block.split(b"\n")[1:]) for block in blocks]


def header(line):
    """The name and the (column, type) pairs of a header line, or None if not one."""
    cut = line.find(b"(", 1)  # the first byte always belongs to the name
    if cut < 0 or not line.endswith(b")"):
        return None
    inner = line[cut + 1:-1]
    columns = [tuple(item.split(b" ", 1)) for item in inner.split(b", ")] if inner else []
    if any(len(c) != 2 for c in columns):
        return None
    return line[:cut], columns


def masked(line):
    return re.sub(rb" char\(-?\d+\)(?=, |\)$)", b" char", line)


def values(row, columns):
    """The values of a row written by relalg-import: ints bare, texts between quotes."""
    found = []
    at = 0
    for _, kind in columns:
        if kind == b"int":
            end = row.find(b",", at)
            end = len(row) if end < 0 else end
            found.append(row[at:end])
        else:
            end = row.index(b"'", at + 1)
            found.append(row[at + 1:end])
            end += 1
        at = end + 1
    return found


def skipreason(data, tables, script):
    """Why the input's tables cannot make the trip, or None; and whether the refusal is the
    importer's own."""
    if b"\0" in data:
        return "NUL bytes", False
    parsed = [header(h) for h, _ in tables]
    if not tables:
        return "no input table", False
    if None in parsed:
        return "a table name holding a line feed", False
    names = [name for name, _ in parsed]
    if len(set(names)) < len(names):
        return "two tables of one name", False
    if re.search(rb"^-- .* is created as ", script, re.M):
        return "a name the script renames", False
    if any(not columns for _, columns in parsed):
        return "a table without columns", False
    if any(name.lower().startswith(b"sqlite_") for name in names):
        return "a table name SQLite keeps for itself", False
    for name, columns in parsed:
        for label in [name] + [c for c, _ in columns]:
            if not label or set(label) & NAMEFLAWS:
                return "a name relalg-import refuses", True
    for _, rows in tables:
        if any(set(row) & VALUEFLAWS - {ord("'")} for row in rows):
            return "a text relalg-import refuses", True
    return None, False


def compare(path, expected, got):
    """The differences between relalg's tables and relalg-import's, as messages."""
    if len(expected) != len(got):
        return ["%d tables, not %d" % (len(got), len(expected))]
    problems = []
    for (wanthead, wantrows), (gothead, gotrows) in zip(expected, got):
        if masked(wanthead) != masked(gothead):
            problems.append("header %r, not %r" % (gothead, wanthead))
            continue
        if wantrows != gotrows:
            problems.append("rows of %r differ" % wanthead)
            continue
        name, columns = header(gothead)
        rows = [values(row, columns) for row in gotrows]
        for k, (label, kind) in enumerate(columns):
            if kind == b"int":
                continue
            width = max([len(row[k]) for row in rows] + [1])
            if kind != b"char(%d)" % width:
                problems.append("column %r of %r is %r, its longest value %d" %
                                (label, name, kind, width))
    return problems


def carry(args, scratch, n, path):
    """One input through SQLite and back: its skip reason or None, and its failures."""
    tool = getattr(args, "import")
    with open(path, "rb") as f:
        data = f.read()
    output = os.path.join(scratch, "%d.out" % n)
    subprocess.run([args.relalg, path, output], check=True)
    with open(output, "rb") as f:
        # Every input table, the result, and the empty line after it.
        tables = tablesafter(f.read())[:-2]
    script = subprocess.run([args.explain, "--sql", path], check=True,
                            stdout=subprocess.PIPE).stdout
    reason, refused = skipreason(data, tables, script)
    if reason is not None and not refused:
        return reason, []
    # Only the tables make the trip: the query's statement, which an engine may refuse (a
    # condition nested too deep), is left out.
    query = re.search(rb"^(WITH|SELECT)\b", script, re.M)
    if query:
        script = script[:query.start()]
    database = os.path.join(scratch, "%d.db" % n)
    loaded = subprocess.run([args.sqlite3, database], input=script, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    if loaded.returncode != 0 or loaded.stderr:
        return reason, ["sqlite3 could not load the script: %s" %
                        loaded.stderr.decode(errors="replace")]
    imported = subprocess.run([tool, database], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if reason is not None:
        if imported.returncode != 1 or imported.stdout:
            return reason, ["%s, but relalg-import did not refuse it" % reason]
        return reason, []
    if imported.returncode != 0:
        return None, ["relalg-import refused: %s" %
                      imported.stderr.decode(errors="replace").strip()]
    # Its tables, and the empty line that an output file would have after them.
    return None, compare(path, tables, tablesafter(imported.stdout + b"\n")[:-1])


def main():
    parser = argparse.ArgumentParser()
    for option in ("relalg", "explain", "import", "sqlite3"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    skipped = collections.Counter()
    failures = []
    carried = 0
    paths = list(inputs(args.paths))
    with tempfile.TemporaryDirectory() as scratch:
        # The programs start afresh for each input: a few inputs at once keep the cores busy.
        with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
            outcomes = pool.map(lambda n: carry(args, scratch, n, paths[n]), range(len(paths)))
            for path, (reason, problems) in zip(paths, outcomes):
                failures.extend("%s: %s" % (path, p) for p in problems)
                if reason is not None:
                    print("skipped %s: %s" % (path, reason))
                    skipped[reason] += 1
                else:
                    carried += not problems
    for failure in failures:
        print(failure)
    print("roundtrip: %d inputs came back as relalg reads them, %d skipped:" %
          (carried, sum(skipped.values())))
    for reason, count in sorted(skipped.items()):
        print("  %d for %s" % (count, reason))
    print("%d passed, %d failed, %d skipped" % (carried, len(failures), sum(skipped.values())))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
