# The benchmark: builds relalg, generates the inputs, times it against sqlite3, sort -u and awk.
"""Usage: python3 bench/run.py [--quick] [--keep] [--relalg PATH]

Builds relalg in Release under build-bench/ of this clone, writes the inputs of seven
workloads at 10,000, 100,000 and 1,000,000 rows into a temporary folder (bench/gen.py),
runs relalg and the alternatives on the same rows, checks once per workload and size that
every alternative gives relalg's result table, and prints the median times, relalg's peak
memory and whether the targets are met. --quick: 10,000 and 100,000 rows, one run each.
"""

import argparse
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

titles = {1: "project", 2: "select", 3: "rename", 4: "product", 5: "union", 6: "minus", 7: "nested"}

schemas = {
    "emp": "id INTEGER, name TEXT, dept TEXT, age INTEGER, salary INTEGER",
    "emp1": "id INTEGER, name TEXT, dept TEXT, age INTEGER, salary INTEGER",
    "emp2": "id INTEGER, name TEXT, dept TEXT, age INTEGER, salary INTEGER",
    "proj": "pid INTEGER, title TEXT, budget INTEGER",
}

# The tables each workload reads, and SQL that gives relalg's result table: sorted and
# distinct where relalg sorts (project, product, union), in input order where it keeps it.
tablesof = {1: ["emp"], 2: ["emp"], 3: ["emp"], 4: ["emp", "proj"], 5: ["emp1", "emp2"],
            6: ["emp1", "emp2"], 7: ["emp"]}
sql = {
    1: "SELECT DISTINCT name, dept FROM emp ORDER BY name, dept;",
    2: "SELECT * FROM emp WHERE (dept = 'sales' OR salary > 120000)"
       " AND NOT (age < 25 OR name >= 'T') ORDER BY rowid;",
    3: "SELECT id AS i, name AS n, dept AS d, age AS a, salary AS s FROM emp ORDER BY rowid;",
    4: "SELECT DISTINCT * FROM emp, proj ORDER BY 1, 2, 3, 4, 5, 6, 7, 8;",
    5: "SELECT * FROM emp1 UNION SELECT * FROM emp2 ORDER BY 1, 2, 3, 4, 5;",
    # An anti-join: sqlite3 indexes the join by itself, while NOT IN and NOT EXISTS over
    # five columns scan the second table once per row of the first.
    6: "SELECT emp1.* FROM emp1 LEFT JOIN emp2 USING (id, name, dept, age, salary)"
       " WHERE emp2.id IS NULL ORDER BY emp1.rowid;",
    7: "SELECT name, dept FROM emp WHERE salary > 100000"
       " UNION SELECT name, dept FROM emp WHERE age < 25 AND dept <> 'sales' ORDER BY 1, 2;",
}
# The same condition as workload 2's query, on the CSV fields id,name,dept,age,salary.
awkprogram = "($3 == \"sales\" || $5 > 120000) && !($4 < 25 || $2 >= \"T\")"

targetspeedup = 3.0
targetgrowth = 12.0
targetmemory = 4.0


class tool:
    """One program run on a workload's folder: its command line, input, output and result rows."""

    def __init__(self, name, argv, stdin, stdout, rows, ordered, env=None):
        self.name = name
        self.argv = argv
        self.stdin = stdin
        self.stdout = stdout
        self.rows = rows  # reads the tool's output as relalg result rows
        self.ordered = ordered  # whether the tool gives relalg's row order
        self.env = env


def resultrows(path):
    """The rows of the last table in a relalg output file: the query's result."""
    with open(path) as f:
        blocks = f.read().split("\n\n")
    # The file ends with the empty line after the result, so the result is the last but one.
    return blocks[-2].split("\n")[1:]


def plainrows(path):
    with open(path) as f:
        return f.read().splitlines()


def csvasprinted(path):
    """CSV rows of emp (id,name,dept,age,salary) in relalg's printed form."""
    out = []
    for line in plainrows(path):
        i, name, dept, age, salary = line.split(",")
        out.append("%s,'%s','%s',%s,%s" % (i, name, dept, age, salary))
    return out


def sqlitescript(workload, folder):
    lines = []
    for t in tablesof[workload]:
        lines.append("CREATE TABLE %s(%s);" % (t, schemas[t]))
        lines.append(".import --csv %s %s" % (os.path.join(folder, t + ".csv"), t))
    # Quote mode prints texts between single quotes and integers bare, as relalg does.
    lines += [".mode quote", ".output " + os.path.join(folder, "sqlite.out"), sql[workload]]
    path = os.path.join(folder, "query.sql")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def toolsfor(workload, folder, relalg):
    at = lambda name: os.path.join(folder, name)  # noqa: E731
    ccollation = dict(os.environ, LC_ALL="C")
    tools = [
        tool("relalg", [relalg, at("input.txt"), at("relalg.out")], None, None,
             lambda: resultrows(at("relalg.out")), True),
        tool("sqlite3", ["sqlite3", "-bail", ":memory:"], sqlitescript(workload, folder), None,
             lambda: plainrows(at("sqlite.out")), True),
    ]
    if workload in (1, 5):
        # sort's line order is relalg's for workload 1 (name and dept are letters only);
        # for workload 5 relalg orders ids as numbers, sort as text.
        tools.append(tool("sort -u", ["sort", "-u", at("lines.txt")], None, at("sort.out"),
                          lambda: plainrows(at("sort.out")), workload == 1, ccollation))
    if workload == 2:
        tools.append(tool("awk", ["awk", "-F,", awkprogram, at("emp.csv")], None, at("awk.out"),
                          lambda: csvasprinted(at("awk.out")), True, ccollation))
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


def check(t, relalgrows):
    """Whether a tool gave relalg's result rows: the count, the rows, and the order if it sorts alike."""
    rows = t.rows()
    if len(rows) != len(relalgrows):
        return "MISMATCH: %d rows, relalg %d" % (len(rows), len(relalgrows))
    if t.ordered:
        return "same %d rows, same order" % len(rows) if rows == relalgrows else "MISMATCH: rows differ"
    return "same %d rows" % len(rows) if sorted(rows) == sorted(relalgrows) else "MISMATCH: rows differ"


def measure(workload, rows, runs, scratch, relalg, seed):
    folder = os.path.join(scratch, "w%d-%d" % (workload, rows))
    subprocess.run([sys.executable, os.path.join(here, "gen.py"), str(workload), str(rows), folder,
                    "--seed", str(seed)], check=True)
    tools = toolsfor(workload, folder, relalg)
    seconds = {t.name: [] for t in tools}
    cpus = []
    peaks = []
    checks = {}
    for run in range(runs):
        # The tools take turns, so a change in the machine's load falls on all of them.
        for t in tools:
            s, cpu, peak = timed(t, folder)
            seconds[t.name].append(s)
            if t.name == "relalg":
                cpus.append(cpu)
                peaks.append(peak)
        if run == 0:
            relalgrows = resultrows(os.path.join(folder, "relalg.out"))
            checks = {t.name: check(t, relalgrows) for t in tools[1:]}
    result = {
        "input": os.path.getsize(os.path.join(folder, "input.txt")),
        "seconds": {name: statistics.median(v) for name, v in seconds.items()},
        "cpu": statistics.median(cpus),
        "peak": statistics.median(peaks) * 1024,
        "checks": checks,
        "others": [t.name for t in tools[1:]],
    }
    return folder, result


def rowlabel(workload, rows):
    if workload == 4:
        side = gen.productsides.get(rows, int(rows ** 0.5))
        return "%dx%d" % (side, side)
    return "{:,}".format(rows)


def tableline(workload, rows, r):
    s = r["seconds"]
    cells = ["%d %s" % (workload, titles[workload]), rowlabel(workload, rows),
             "%.1f" % (r["input"] / 1e6), "%.3f" % s["relalg"], "%.2f" % r["cpu"],
             "%.1f" % (r["peak"] / 1e6)]
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
          "machine inflate less than wall time; ratio: the alternative's seconds over relalg's\n"
          "(above 1: relalg is faster).")


def verdict(ok):
    return "met" if ok else "MISSED"


def printtargets(results, sizes):
    big = max(sizes)
    print("\nTargets:")
    if big < 1000000:
        print("  the 1,000,000-row targets are not checked: no 1,000,000-row run (quick mode).")
    for w in titles:
        r = results.get((w, 1000000))
        if not r:
            continue
        ratio = r["seconds"]["sqlite3"] / r["seconds"]["relalg"]
        print("  %-40s %s (%.1fx)" % ("%d %s at 1,000,000: >= %gx sqlite3" % (w, titles[w], targetspeedup),
                                      verdict(ratio >= targetspeedup), ratio))
    for w, other in ((1, "sort -u"), (2, "awk")):
        r = results[(w, big)]
        s = r["seconds"]
        print("  %-40s %s (%.3f s vs %.3f s)" % ("%d %s at %s: no slower than %s" % (
            w, titles[w], "{:,}".format(big), other), verdict(s["relalg"] <= s[other]), s["relalg"], s[other]))
    for w in titles:
        if (w, 1000000) not in results:
            continue
        growth = results[(w, 1000000)]["seconds"]["relalg"] / results[(w, 100000)]["seconds"]["relalg"]
        print("  %-40s %s (%.1fx)" % ("%d %s: 1,000,000 time <= %gx 100,000" % (w, titles[w], targetgrowth),
                                      verdict(growth <= targetgrowth), growth))
    for w in titles:
        r = results.get((w, 1000000))
        if not r:
            continue
        label = "%d %s at 1,000,000: peak <= %gx input" % (w, titles[w], targetmemory)
        share = r["peak"] / r["input"]
        if w == 4:
            # The product's input is two tables of 1,000 rows; only its result has a million.
            print("  %-40s n/a (input of 2,000 rows; peak %.1f MB = %.0fx input)" % (label, r["peak"] / 1e6, share))
            continue
        print("  %-40s %s (%.2fx)" % (label, verdict(share <= targetmemory), share))


def build():
    builddir = os.path.join(root, "build-bench")
    subprocess.run(["cmake", "-S", root, "-B", builddir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DRELALG_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    # The machine has two cores, shared with others: never more than two compile jobs.
    subprocess.run(["cmake", "--build", builddir, "-j2"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(builddir, "relalg")


def missingtools():
    missing = []
    if not os.access(timetool, os.X_OK):
        missing.append("/usr/bin/time (for peak memory): apt-get install -y time")
    for name, package in (("sqlite3", "sqlite3"), ("sort", "coreutils"), ("awk", "mawk"), ("cmake", "cmake")):
        if not shutil.which(name):
            missing.append("%s: apt-get install -y %s" % (name, package))
    return missing


def loadline():
    return "load average %.2f %.2f %.2f on %d cores" % (os.getloadavg() + (os.cpu_count(),))


def main():
    parser = argparse.ArgumentParser(description="Times relalg against sqlite3, sort -u and awk.")
    parser.add_argument("--quick", action="store_true", help="10,000 and 100,000 rows, one run each")
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs and outputs")
    parser.add_argument("--relalg", help="time this relalg program instead of building one")
    parser.add_argument("--seed", type=int, default=6)
    args = parser.parse_args()
    missing = missingtools()
    if missing:
        sys.exit("The benchmark needs what this machine lacks:\n  " + "\n  ".join(missing))
    relalg = os.path.abspath(args.relalg) if args.relalg else build()
    sizes = [10000, 100000] if args.quick else [10000, 100000, 1000000]
    runsat = lambda n: 1 if args.quick else (3 if n >= 1000000 else 5)  # noqa: E731
    scratch = tempfile.mkdtemp(prefix="relalg-bench-")
    print("relalg: %s; data in %s; %s" % (relalg, scratch, loadline()), flush=True)
    results = {}
    try:
        for w in titles:
            for n in sizes:
                folder, results[(w, n)] = measure(w, n, runsat(n), scratch, relalg, args.seed)
                print("  " + " ".join(tableline(w, n, results[(w, n)])), flush=True)
                if not args.keep:
                    shutil.rmtree(folder)
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)
    print("\nMedians of %s; whole processes, wall clock; %s.\n" % (
        "one run" if args.quick else "5 runs (3 at 1,000,000 rows)", loadline()))
    printtable(results)
    print("\nChecks (first run): every alternative's result compared with relalg's result table:")
    for (w, n), r in sorted(results.items()):
        print("  %d %s %s: %s" % (w, titles[w], rowlabel(w, n),
                                  "; ".join("%s %s" % kv for kv in r["checks"].items())))
    printtargets(results, sizes)


if __name__ == "__main__":
    main()
