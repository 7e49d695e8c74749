#!/usr/bin/env python3
"""Checks the teaching databases of datasets/: each answer's rows against its hand-written SQL.

Usage: answers.py --relalg PATH [--sqlite3 PATH] [--datasets FOLDER]
Each FOLDER/NAME/database.txt must read back from relalg exactly as written, so no value is
misread without a word. Each NAME/answers/NN.txt must hold the same tables byte for byte, and
its query's result, taken from relalg's output, must be a non-empty set of rows equal to what
sqlite3 returns for NN.sql over the same tables, loaded here from database.txt; every answer
must have its SQL and an exercise numbered N in NAME/exercises.md. FOLDER/sync.py, run on a
copy with answers gone stale, must find them and write them as they are now. Exits 77 when
sqlite3 is missing, 1 when any check fails.
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

header = re.compile(r"^(\w+)\((.*)\)$")
declaration = re.compile(r"^(\w+) (int|char\(\d+\))$")
# A whole row: integers bare, texts quoted, with no blank around the commas.
value = r"(?:-?\d+|'[^']*')"
row = re.compile(r"^%s(?:,%s)*$" % (value, value))
field = re.compile(value)


def split(text):
    """The query section and the tables of an input file, parted at its first empty line."""
    end = text.find("\n\n")
    return (text, "") if end < 0 else (text[:end], text[end + 2:])


def loader(tables):
    """CREATE TABLE and INSERT statements for tables in relalg's format, read strictly."""
    statements = []
    for block in tables.strip("\n").split("\n\n"):
        lines = block.split("\n")
        found = header.match(lines[0])
        if not found:
            raise ValueError("not a table header: %r" % lines[0])
        name = found.group(1)
        columns = []
        for text in found.group(2).split(", "):
            column = declaration.match(text)
            if not column:
                raise ValueError("%s: not a column declaration: %r" % (name, text))
            columns.append((column.group(1), column.group(2) == "int"))
        statements.append("CREATE TABLE %s (%s);" % (name, ", ".join(
            "%s %s" % (c, "INTEGER" if isint else "TEXT") for c, isint in columns)))
        for line in lines[1:]:
            values = field.findall(line) if row.match(line) else []
            kinds = [not v.startswith("'") for v in values]
            if kinds != [isint for _, isint in columns]:
                raise ValueError("%s: the row %r does not fit its columns" % (name, line))
            statements.append("INSERT INTO %s VALUES (%s);" % (name, ",".join(values)))
    return "\n".join(statements) + "\n"


def resultrows(output):
    """The rows of the last table of relalg's output."""
    blocks = [b for b in output.split("\n\n") if b.strip("\n")]
    return blocks[-1].strip("\n").split("\n")[1:]


def relalg(program, path, work):
    output = os.path.join(work, "out.txt")
    subprocess.run([program, path, output], check=True, timeout=60)
    with open(output, encoding="utf-8", newline="") as f:
        return f.read()


def checkdatabase(folder, args, work):
    """The failures of one database's files, as lines to print."""
    failures = []
    name = os.path.basename(folder)
    with open(os.path.join(folder, "database.txt"), encoding="utf-8", newline="") as f:
        database = f.read()
    # relalg prints its input tables normalised: a file already in that form comes back whole.
    if not relalg(args.relalg, os.path.join(folder, "database.txt"), work).startswith(
            database + "\n"):
        failures.append("%s/database.txt: relalg does not print its tables back as written"
                        % name)
    tables = split(database)[1]
    try:
        load = loader(tables)
    except ValueError as error:
        return failures + ["%s/database.txt: %s" % (name, error)]
    with open(os.path.join(folder, "exercises.md"), encoding="utf-8") as f:
        numbered = set(re.findall(r"^(\d+)\. ", f.read(), re.M))
    answers = sorted(glob.glob(os.path.join(folder, "answers", "*.txt")))
    sqls = sorted(glob.glob(os.path.join(folder, "answers", "*.sql")))
    if [a[:-4] for a in answers] != [s[:-4] for s in sqls] or not answers:
        failures.append("%s: answers/ must hold NN.txt and NN.sql in pairs" % name)
    for path in answers:
        shown = "%s/answers/%s" % (name, os.path.basename(path))
        number = os.path.basename(path)[:-4]
        if str(int(number)) not in numbered:
            failures.append("%s: exercises.md has no exercise %d" % (shown, int(number)))
        with open(path, encoding="utf-8", newline="") as f:
            if split(f.read())[1] != tables:
                failures.append("%s: its tables differ from database.txt's (datasets/sync.py "
                                "rewrites them)" % shown)
                continue
        expected = resultrows(relalg(args.relalg, path, work))
        with open(path[:-4] + ".sql", encoding="utf-8") as f:
            query = f.read()
        run = subprocess.run([args.sqlite3, "-bail", "-quote", ":memory:"], input=load + query,
                             capture_output=True, text=True, timeout=60)
        got = run.stdout.split("\n")[:-1]
        if run.returncode != 0:
            failures.append("%s: sqlite3 fails on %s.sql: %s" % (shown, number,
                                                                 run.stderr.strip()))
        elif not expected:
            failures.append("%s: relalg's result is empty" % shown)
        elif set(expected) != set(got):
            failures.append("%s: relalg and %s.sql disagree\n  relalg: %s\n  sqlite3: %s" % (
                shown, number, " ".join(sorted(set(expected))), " ".join(sorted(set(got)))))
    return failures


def checksync(datasets, work):
    """The failures of sync.py on a copy of the folder in which two answers went stale."""
    copy = os.path.join(work, "datasets")
    shutil.copytree(datasets, copy)
    answers = sorted(glob.glob(os.path.join(copy, "*", "answers", "*.txt")))
    kept = {}
    for path, stale in zip(answers[:2], ["\n", "\n\nextra(x int)\n1\n"]):
        with open(path, encoding="utf-8", newline="") as f:
            kept[path] = f.read()
        # One answer loses its last row; the other's last row gives way to a table of its own.
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(kept[path][:kept[path].rstrip("\n").rfind("\n")] + stale)
    script = [sys.executable, os.path.join(copy, "sync.py")]
    found = subprocess.run(script + ["--check"], capture_output=True, text=True, timeout=60)
    failures = []
    if found.returncode != 1 or found.stdout.count("\n") != len(kept):
        failures.append("sync.py --check does not list exactly the %d stale answers: %s"
                        % (len(kept), found.stdout))
    subprocess.run(script, check=True, capture_output=True, timeout=60)
    for path, text in kept.items():
        with open(path, encoding="utf-8", newline="") as f:
            if f.read() != text:
                failures.append("sync.py does not restore %s" % os.path.relpath(path, copy))
    if subprocess.run(script + ["--check"], capture_output=True, timeout=60).returncode != 0:
        failures.append("sync.py --check still finds stale answers after sync.py")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--relalg", required=True)
    parser.add_argument("--sqlite3", default="sqlite3")
    parser.add_argument("--datasets", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "datasets"))
    args = parser.parse_args()
    if not shutil.which(args.sqlite3):
        print("skipped: sqlite3 is missing (apt-get install sqlite3)")
        return 77
    folders = sorted(os.path.dirname(p) for p in
                     glob.glob(os.path.join(args.datasets, "*", "database.txt")))
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for folder in folders:
            failures += checkdatabase(folder, args, work)
        failures += checksync(args.datasets, work)
    count = sum(len(glob.glob(os.path.join(f, "answers", "*.txt"))) for f in folders)
    print("datasets: %d databases, %d answers, %d failures" % (len(folders), count,
                                                                len(failures)))
    for failure in failures:
        print(failure)
    return 1 if failures or not folders else 0


if __name__ == "__main__":
    sys.exit(main())
