# The benchmark: builds relalg and times it against the floor, sqlite3, DuckDB, sort -u and mawk.
"""Usage: python3 bench/run.py [--quick] [--workloads LIST] [--sizes LIST] [--runs N]
                              [--keep] [--relalg PATH]

Builds relalg in Release under build-bench/ of this clone, writes the inputs of eleven
workloads at 10,000, 100,000 and 1,000,000 rows into a temporary folder (bench/gen.py; the
join workloads 8 to 11 scale their tables with the row count and have their full sizes at
1,000,000), runs relalg and the alternatives on the same rows, checks once per workload and
size that every alternative gives relalg's result table, and prints the median times,
relalg's peak memory and whether the targets are met. --quick: 10,000 and 100,000 rows, one
run each. DuckDB runs in node (bench/duckdb.mjs) once `npm ci --prefix bench` has installed
it; without node or the package it is skipped with a note.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
sys.path.insert(0, here)
sys.dont_write_bytecode = True  # no __pycache__ left in the clone
import gen  # noqa: E402  (beside this script)

timetool = "/usr/bin/time"
duckdbrunner = os.path.join(here, "duckdb.mjs")
duckdbpackage = os.path.join(here, "node_modules", "@duckdb", "node-api")

titles = {1: "project", 2: "select", 3: "rename", 4: "product", 5: "union", 6: "minus", 7: "nested",
          8: "join 1:1", 9: "join fk", 10: "join 3-way", 11: "join text"}
joins = sorted(gen.fullsizes)
full = 1000000  # the row count at which the targets are set

# SQL that gives relalg's result table: sorted and distinct where relalg sorts (project,
# product, union), in input order where it keeps it (select, rename, minus).
sql = {
    1: "SELECT DISTINCT name, dept FROM emp ORDER BY name, dept",
    2: "SELECT * FROM emp WHERE (dept = 'sales' OR salary > 120000)"
       " AND NOT (age < 25 OR name >= 'T') ORDER BY rowid",
    3: "SELECT id AS i, name AS n, dept AS d, age AS a, salary AS s FROM emp ORDER BY rowid",
    4: "SELECT DISTINCT * FROM emp, proj ORDER BY 1, 2, 3, 4, 5, 6, 7, 8",
    5: "SELECT * FROM emp1 UNION SELECT * FROM emp2 ORDER BY 1, 2, 3, 4, 5",
    # An anti-join: sqlite3 indexes the join by itself, while NOT IN and NOT EXISTS over
    # five columns scan the second table once per row of the first.
    6: "SELECT emp1.* FROM emp1 LEFT JOIN emp2 USING (id, name, dept, age, salary)"
       " WHERE emp2.id IS NULL ORDER BY emp1.rowid",
    7: "SELECT name, dept FROM emp WHERE salary > 100000"
       " UNION SELECT name, dept FROM emp WHERE age < 25 AND dept <> 'sales' ORDER BY 1, 2",
}
# A selection over a product keeps the product's order: the left operand's sorted distinct
# rows, each followed by its matching right rows in their sorted order. That is the order of
# all columns, left table's first; DISTINCT over all columns is the product's removal of
# repeated rows, since a product of distinct rows has distinct rows.
joinconditions = {8: "id = holder", 9: "dno = did", 10: "dno = did AND pno = pid",
                  11: "city = town AND age > 40"}
for w, condition in joinconditions.items():
    width = sum(len(header.split(",")) for _, header in gen.layout(w))
    sql[w] = "SELECT DISTINCT * FROM %s WHERE %s ORDER BY %s" % (
        ", ".join(name for name, _ in gen.layout(w)), condition,
        ", ".join(str(k) for k in range(1, width + 1)))
# DuckDB keeps the input order of a scan by itself; sorting by rowid would only cost it time.
duckdbsql = dict(sql)
duckdbsql[2] = sql[2].replace(" ORDER BY rowid", "")
duckdbsql[3] = sql[3].replace(" ORDER BY rowid", "")

# The same condition as workload 2's query, on the CSV fields id,name,dept,age,salary.
mawkprogram = "($3 == \"sales\" || $5 > 120000) && !($4 < 25 || $2 >= \"T\")"

targetsqlite = 3.0  # relalg at most a third of sqlite3's time
targetduckdb = 2.0  # relalg at most half of DuckDB's in-process time
targetfloor = 3.0  # relalg within 3 times the floor
targetratio = 0.8  # relalg over sort -u or mawk
targetgrowth = 12.0  # ten times the rows
targetinput = 3.0  # peak memory over the input
joinslack = 16 * 1024 * 1024  # a join's peak may be 16 MiB plus 4 times input and result
joinfactor = 4.0


class tool:
    """One program run on a workload's folder: its command line, input, output and result rows."""

    def __init__(self, name, argv, stdin=None, stdout=None, rows=None, ordered=True, env=None):
        self.name = name
        self.argv = argv
        self.stdin = stdin
        self.stdout = stdout
        self.rows = rows  # reads the tool's output as relalg result rows; None: nothing to check
        self.ordered = ordered  # whether the tool gives relalg's row order
        self.env = env


def columns(header):
    """The (name, is integer) pairs of a table header's column declarations."""
    out = []
    for declaration in header.split(","):
        name, kind = declaration.split()
        out.append((name, kind == "int"))
    return out


def resulttable(path):
    """The header and the rows of the last table in a relalg output file: the query's result."""
    with open(path) as f:
        blocks = f.read().split("\n\n")
    # The file ends with the empty line after the result, so the result is the last but one.
    lines = blocks[-2].split("\n")
    return lines[0], lines[1:]


def plainrows(path):
    with open(path) as f:
        return f.read().splitlines()


def csvasprinted(path, header):
    """Plain CSV rows in relalg's printed form, texts quoted as the result header's types say."""
    kinds = [isint for _, isint in columns(header[header.index("(") + 1:header.rindex(")")])]
    out = []
    for line in plainrows(path):
        fields = line.split(",")
        if len(fields) == len(kinds):
            fields = [f if isint else "'" + f + "'" for f, isint in zip(fields, kinds)]
        out.append(",".join(fields))
    return out


def typed(header, form, inttype, texttype):
    """A table's columns, each written in form with its name and its SQL type."""
    return ", ".join(form % (c, inttype if isint else texttype) for c, isint in columns(header))


def script(folder, name, lines):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def sqlitescript(workload, folder):
    lines = []
    for name, header in gen.layout(workload):
        lines.append("CREATE TABLE %s(%s);" % (name, typed(header, "%s %s", "INTEGER", "TEXT")))
        lines.append(".import --csv %s %s" % (os.path.join(folder, name + ".csv"), name))
    # Quote mode prints texts between single quotes and integers bare, as relalg does.
    lines += [".mode quote", ".output " + os.path.join(folder, "sqlite.out"), sql[workload] + ";"]
    return script(folder, "query.sql", lines)


def duckdbscript(workload, folder):
    lines = []
    for name, header in gen.layout(workload):
        types = typed(header, "'%s': '%s'", "INTEGER", "VARCHAR")
        # The layout is known: DuckDB need not guess it from the first lines.
        lines.append("CREATE TABLE %s AS FROM read_csv('%s', header = false, auto_detect = false,"
                     " delim = ',', columns = {%s});" % (name, os.path.join(folder, name + ".csv"), types))
    lines.append("COPY (%s) TO '%s' (FORMAT csv, HEADER false);" % (
        duckdbsql[workload], os.path.join(folder, "duckdb.out")))
    return script(folder, "duckdb.sql", lines)


def toolsfor(workload, folder, relalg, optional):
    """The programs timed on a workload: relalg first, then the floor and the alternatives."""
    at = lambda name: os.path.join(folder, name)  # noqa: E731
    ccollation = dict(os.environ, LC_ALL="C")
    tools = [
        tool("relalg", [relalg, at("input.txt"), at("relalg.out")],
             rows=lambda header: resulttable(at("relalg.out"))[1]),
        # What any program must do at least: read the input and write the output's bytes.
        tool("floor", ["sh", "-c", 'cat "$1" >/dev/null; cat "$2" >"$3"', "floor",
                       at("input.txt"), at("relalg.out"), at("floor.out")]),
        tool("sqlite3", ["sqlite3", "-bail", ":memory:"], stdin=sqlitescript(workload, folder),
             rows=lambda header: plainrows(at("sqlite.out"))),
    ]
    if "duckdb" in optional:
        tools.append(tool("duckdb", ["node", duckdbrunner, duckdbscript(workload, folder)],
                          stdout=at("duckdb.time"),
                          rows=lambda header: csvasprinted(at("duckdb.out"), header)))
    if workload == 1:
        # sort's line order is relalg's here: name and dept are letters only.
        tools.append(tool("sort -u", ["sort", "-u", at("lines.txt")], stdout=at("sort.out"),
                          rows=lambda header: plainrows(at("sort.out")), env=ccollation))
    if workload == 5:
        # relalg orders ids as numbers, sort as text: the rows are compared as sets.
        tools.append(tool("sort -u", ["sort", "-u", at("emp1.lines"), at("emp2.lines")],
                          stdout=at("sort.out"), rows=lambda header: plainrows(at("sort.out")),
                          ordered=False, env=ccollation))
    if workload == 2 and "mawk" in optional:
        tools.append(tool("mawk", ["mawk", "-F,", mawkprogram, at("emp.csv")], stdout=at("mawk.out"),
                          rows=lambda header: csvasprinted(at("mawk.out"), header), env=ccollation))
    return tools


def timed(t, folder):
    """Wall seconds of one whole run, its processor seconds (user and system) and its peak
    resident memory in KB, as /usr/bin/time -v reports them."""
    report = os.path.join(folder, "time.txt")
    stdin = open(t.stdin) if t.stdin else subprocess.DEVNULL
    stdout = open(t.stdout, "w") if t.stdout else subprocess.DEVNULL
    try:
        start = time.perf_counter()
        subprocess.run([timetool, "-v", "-o", report] + t.argv, stdin=stdin, stdout=stdout,
                       env=t.env, check=True)
        seconds = time.perf_counter() - start
    finally:
        for f in (stdin, stdout):
            if f is not subprocess.DEVNULL:
                f.close()
    with open(report) as f:
        fields = dict(line.strip().rsplit(": ", 1) for line in f if ": " in line)
    cpu = float(fields["User time (seconds)"]) + float(fields["System time (seconds)"])
    return seconds, cpu, int(fields["Maximum resident set size (kbytes)"])


def check(t, header, relalgrows):
    """Whether a tool gave relalg's result rows: the count, the rows, and the order if it sorts alike."""
    rows = t.rows(header)
    if len(rows) != len(relalgrows):
        return "MISMATCH: %d rows, relalg %d" % (len(rows), len(relalgrows))
    if t.ordered:
        return "same %d rows, same order" % len(rows) if rows == relalgrows else "MISMATCH: rows differ"
    return "same %d rows" % len(rows) if sorted(rows) == sorted(relalgrows) else "MISMATCH: rows differ"


def checkall(tools, folder):
    """The size of relalg's result table as printed, and every alternative's check against it."""
    header, relalgrows = resulttable(os.path.join(folder, "relalg.out"))
    checks = {t.name: check(t, header, relalgrows) for t in tools[1:] if t.rows}
    return len("\n".join([header] + relalgrows)) + 1, checks


def measure(workload, rows, runs, scratch, relalg, seed, optional):
    folder = os.path.join(scratch, "w%d-%d" % (workload, rows))
    subprocess.run([sys.executable, os.path.join(here, "gen.py"), str(workload), str(rows), folder,
                    "--seed", str(seed)], check=True)
    tools = toolsfor(workload, folder, relalg, optional)
    wall = {t.name: [] for t in tools}
    relalgcpu, peaks, duckdbtimes = [], [], []
    for turn in range(runs):
        # The tools take turns, so a change in the machine's load falls on all of them.
        for t in tools:
            s, cpu, peak = timed(t, folder)
            wall[t.name].append(s)
            if t.name == "relalg":
                relalgcpu.append(cpu)
                peaks.append(peak)
            if t.name == "duckdb":
                with open(t.stdout) as f:
                    duckdbtimes.append(json.load(f))
        if turn == 0:
            resultsize, checks = checkall(tools, folder)
    seconds = {name: statistics.median(v) for name, v in wall.items()}
    result = {
        "input": os.path.getsize(os.path.join(folder, "input.txt")),
        "result": resultsize,
        "seconds": seconds,
        "cpu": statistics.median(relalgcpu),
        "peak": statistics.median(peaks) * 1024,
        "checks": checks,
        "others": [t.name for t in tools[1:]],
    }
    if duckdbtimes:
        # DuckDB is judged by its own time inside the process; the whole process stays beside it.
        result["duckdb"] = {"whole": seconds["duckdb"],
                            "cpu": statistics.median(d["cpu"] for d in duckdbtimes)}
        seconds["duckdb"] = statistics.median(d["seconds"] for d in duckdbtimes)
    return folder, result


def rowlabel(workload, rows):
    if workload == 4:
        side = gen.productsides.get(rows, int(rows ** 0.5))
        return "%dx%d" % (side, side)
    if workload in gen.fullsizes:
        return "x".join("{:,}".format(n) for n in gen.tablesizes(workload, rows))
    return "{:,}".format(rows)


def label(workload):
    return "%d %s" % (workload, titles[workload])


def tableline(workload, rows, r):
    s = r["seconds"]
    cells = [label(workload), rowlabel(workload, rows), "%.1f" % (r["input"] / 1e6), "%.3f" % s["relalg"],
             "%.2f" % r["cpu"], "%.1f" % (r["peak"] / 1e6)]
    for name in r["others"]:
        cells += [name, "%.3f" % s[name], "%.1fx" % (s[name] / s["relalg"])]
    return cells


def printtable(results):
    header = ["workload", "rows", "input MB", "relalg s", "cpu s", "peak MB"]
    lines = [tableline(w, n, r) for (w, n), r in sorted(results.items())]
    width = max(len(line) for line in lines)
    for _ in range((width - len(header)) // 3):
        header += ["vs", "s", "ratio"]
    lines.insert(0, header)
    widths = [max(len(line[i]) for line in lines if i < len(line)) for i in range(width)]
    out = []
    for line in lines:
        out.append("| " + " | ".join(c.ljust(widths[i]) for i, c in enumerate(line)) + " |")
    out.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    print("\n".join(out))
    print("s: wall seconds; cpu s: relalg's user and system seconds, which other processes on the\n"
          "machine inflate less than wall time; ratio: the other's seconds over relalg's (above 1:\n"
          "relalg is faster); floor: cat of relalg's input to /dev/null and of its output to a copy;\n"
          "duckdb: its own time inside the process, from loading the CSV files to writing the result.")


def printduckdb(results):
    lines = []
    for (w, n), r in sorted(results.items()):
        d = r.get("duckdb")
        if d:
            inside = r["seconds"]["duckdb"]
            lines.append("  %s %s: %.3f s, cpu %.3f s (%.1f cores), whole process %.3f s" % (
                label(w), rowlabel(w, n), inside, d["cpu"], d["cpu"] / inside, d["whole"]))
    if lines:
        print("\nDuckDB inside its process (the table's figure), its processor seconds on every thread\n"
              "(it uses both cores), and the whole process with node's start:")
        print("\n".join(lines))


def verdict(ok):
    return "met" if ok else "MISSED"


def targetline(text, ok, detail):
    print("  %-56s %s (%s)" % (text, verdict(ok), detail))


def speedtargets(results, big):
    """relalg against sqlite3, DuckDB, the floor, sort -u and mawk, at the largest row count."""
    for w in titles:
        s = results.get((w, big), {}).get("seconds", {})
        if s:
            ratio = s["sqlite3"] / s["relalg"]
            targetline("%s: at most 1/%g of sqlite3's time" % (label(w), targetsqlite),
                       ratio >= targetsqlite, "sqlite3/relalg %.2f" % ratio)
    for w in titles:
        s = results.get((w, big), {}).get("seconds", {})
        if "duckdb" in s:
            ratio = s["duckdb"] / s["relalg"]
            # Joins must first be no slower than DuckDB; half its time is the later, sharper aim.
            also = "; no slower than DuckDB: %s" % verdict(ratio >= 1) if w in joins else ""
            targetline("%s: at most 1/%g of DuckDB's in-process time" % (label(w), targetduckdb),
                       ratio >= targetduckdb, "DuckDB/relalg %.2f%s" % (ratio, also))
    for w in titles:
        s = results.get((w, big), {}).get("seconds", {})
        if s:
            share = s["relalg"] / s["floor"]
            targetline("%s: within %gx the floor" % (label(w), targetfloor), share <= targetfloor,
                       "relalg/floor %.2f" % share)
    for w, other in ((1, "sort -u"), (5, "sort -u"), (2, "mawk")):
        s = results.get((w, big), {}).get("seconds", {})
        if other in s:
            share = s["relalg"] / s[other]
            targetline("%s: at most %g of %s's time" % (label(w), targetratio, other), share <= targetratio,
                       "relalg/%s %.2f: %.3f s vs %.3f s" % (other, share, s["relalg"], s[other]))


def growthtargets(results, big):
    for w in titles:
        if (w, big) in results and (w, big // 10) in results:
            growth = results[(w, big)]["seconds"]["relalg"] / results[(w, big // 10)]["seconds"]["relalg"]
            targetline("%s: 10 times the rows in at most %gx the time" % (label(w), targetgrowth),
                       growth <= targetgrowth, "%.1fx" % growth)


def memorytargets(results, big):
    for w in titles:
        r = results.get((w, big))
        if not r:
            continue
        share = r["peak"] / r["input"]
        text = "%s: peak memory at most %gx the input" % (label(w), targetinput)
        if w == 4:
            # The product's input is two small tables; only its result is large.
            print("  %-56s n/a (small input; peak %.1f MB = %.0fx input)" % (text, r["peak"] / 1e6, share))
        else:
            targetline(text, share <= targetinput, "peak/input %.2f" % share)
    for w in joins:
        r = results.get((w, big))
        if r:
            bound = joinslack + joinfactor * (r["input"] + r["result"])
            targetline("%s: peak at most 16 MiB + %gx (input + result)" % (label(w), joinfactor),
                       r["peak"] <= bound, "%.1f MB, bound %.1f MB" % (r["peak"] / 1e6, bound / 1e6))


def printtargets(results, sizes):
    big = max(sizes)
    print("\nTargets at {:,} rows (the joins at the sizes in the table):".format(big))
    if big != full:
        print("  indicative only: the targets are set at 1,000,000 rows, the joins' full sizes.")
    speedtargets(results, big)
    growthtargets(results, big)
    memorytargets(results, big)


def build():
    builddir = os.path.join(root, "build-bench")
    subprocess.run(["cmake", "-S", root, "-B", builddir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DRELALG_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    # The machine has two cores, shared with others: never more than two compile jobs.
    subprocess.run(["cmake", "--build", builddir, "-j2"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(builddir, "relalg")


def missingtools(building):
    """What the benchmark cannot run without, each with the command that installs it."""
    missing = []
    if not os.access(timetool, os.X_OK):
        missing.append("/usr/bin/time (for peak memory): apt-get install -y time")
    needed = [("sqlite3", "sqlite3"), ("sort", "coreutils")] + ([("cmake", "cmake")] if building else [])
    for name, package in needed:
        if not shutil.which(name):
            missing.append("%s: apt-get install -y %s" % (name, package))
    return missing


def optionaltools():
    """The alternatives this machine has, and a note for each one it lacks."""
    found, notes = set(), []
    if not shutil.which("node"):
        notes.append("DuckDB skipped: node is missing "
                     "(apt-get install -y nodejs npm, then npm ci --prefix bench)")
    elif not os.path.isdir(duckdbpackage):
        notes.append("DuckDB skipped: its package is missing (npm ci --prefix bench)")
    else:
        found.add("duckdb")
    if shutil.which("mawk"):
        found.add("mawk")
    else:
        notes.append("mawk skipped: apt-get install -y mawk")
    return found, notes


def numbers(text):
    """A list of workloads such as 8,9 or 1-7,10 as a sorted list of numbers."""
    out = set()
    for part in text.split(","):
        low, _, high = part.partition("-")
        out.update(range(int(low), int(high or low) + 1))
    return sorted(out)


def loadline():
    return "load average %.2f %.2f %.2f on %d cores" % (os.getloadavg() + (os.cpu_count(),))


def main():
    parser = argparse.ArgumentParser(
        description="Times relalg against the floor, sqlite3, DuckDB, sort -u and mawk.")
    parser.add_argument("--quick", action="store_true", help="10,000 and 100,000 rows, one run each")
    parser.add_argument("--workloads", type=numbers, default=sorted(titles),
                        help="the workloads to run, as 8,9 or 1-7 (default: all)")
    parser.add_argument("--sizes", type=lambda t: sorted(int(n) for n in t.split(",")),
                        help="row counts, as 1000,10000 (default: 10000,100000,1000000)")
    parser.add_argument("--runs", type=int,
                        help="runs per workload and size (default: 5, 3 at 1,000,000 rows)")
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs and outputs")
    parser.add_argument("--relalg", help="time this relalg program instead of building one")
    parser.add_argument("--seed", type=int, default=6)
    args = parser.parse_args()
    unknown = [w for w in args.workloads if w not in titles]
    if unknown:
        sys.exit("No such workload: %s (there are 1 to %d)." % (unknown, len(titles)))
    missing = missingtools(not args.relalg)
    if missing:
        sys.exit("The benchmark needs what this machine lacks:\n  " + "\n  ".join(missing))
    optional, notes = optionaltools()
    relalg = os.path.abspath(args.relalg) if args.relalg else build()
    sizes = args.sizes or ([10000, 100000] if args.quick else [10000, 100000, full])
    runsat = lambda n: args.runs or (1 if args.quick else (3 if n >= full else 5))  # noqa: E731
    scratch = tempfile.mkdtemp(prefix="relalg-bench-")
    print("relalg: %s; data in %s; %s" % (relalg, scratch, loadline()), flush=True)
    for note in notes:
        print(note, flush=True)
    results = {}
    try:
        for w in args.workloads:
            for n in sizes:
                folder, results[(w, n)] = measure(w, n, runsat(n), scratch, relalg, args.seed, optional)
                print("  " + " ".join(tableline(w, n, results[(w, n)])), flush=True)
                if not args.keep:
                    shutil.rmtree(folder)
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)
    runs = "%d run%s" % (args.runs, "s" if args.runs > 1 else "") if args.runs else (
        "one run" if args.quick else "5 runs (3 at 1,000,000 rows)")
    print("\nMedians of %s; whole processes, wall clock, but DuckDB's own time inside its process;"
          " %s.\n" % (runs, loadline()))
    printtable(results)
    printduckdb(results)
    print("\nChecks (first run): every alternative's result compared with relalg's result table:")
    for (w, n), r in sorted(results.items()):
        checks = "; ".join("%s %s" % kv for kv in r["checks"].items())
        print("  %s %s: %s" % (label(w), rowlabel(w, n), checks))
    for note in notes:
        print(note)
    printtargets(results, sizes)


if __name__ == "__main__":
    main()
