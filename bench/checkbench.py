# The benchmark of relalg-check: the course databases' answers and typical mistakes in them,
# at course size and grown, and mistakes only a larger database shows; prints each target.
"""Usage: python3 bench/checkbench.py --check PATH --relalg PATH [--quick]

Every answer of datasets/ is the reference; its wrong versions are made by the mistakes
learners make (a comparison flipped, AND for OR, a NOT or a conjunct dropped, another
constant, the operands of minus swapped). Measured:
  1. at course size, 100 inputs in one call: the time, and how many that differ are proven
     the smallest;
  2. the same databases grown to 10,000 and 100,000 rows (each table copied, its integers
     shifted): the time per input (95th percentile) and the mean counterexample's rows;
  3. mistakes that a part of the database hides and the whole shows: how many --generate 1000
     finds from that part alone, each within 5 seconds;
  4. every counterexample, run again through relalg with both queries, must show the
     difference.
--quick: fewer inputs and no 100,000 rows. Exits 1 when a target is missed.
"""

import argparse
import json
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
datasets = os.path.join(root, "datasets")


def answers():
    """Each answer file of the datasets: its query text and its tables' text."""
    found = []
    for name in sorted(os.listdir(datasets)):
        folder = os.path.join(datasets, name, "answers")
        if not os.path.isdir(folder):
            continue
        for answer in sorted(os.listdir(folder)):
            if answer.endswith(".txt"):
                text = open(os.path.join(folder, answer)).read()
                query, _, tables = text.partition("\n\n")
                found.append((name + "/" + answer, query, tables))
    return found


def mistakes(query, rng):
    """The query with one typical mistake, or None where none applies."""
    flat = " ".join(query.split())
    kinds = []
    for a, b in (("LT(", "GT("), ("GT(", "LT("), ("LTE(", "GTE("), ("EQ(", "NEQ("), ("NEQ(", "EQ(")):
        if a in flat:
            kinds.append(lambda q, a=a, b=b: q.replace(a, b, 1))
    if "AND(" in flat:
        kinds.append(lambda q: q.replace("AND(", "OR(", 1))
        kinds.append(dropconjunct)
    if "NOT(" in flat:
        kinds.append(lambda q: q.replace("NOT(", "(", 1))
    constants = re.findall(r"'[^']*'|(?<=,)-?[0-9]+(?=\))", flat)
    if constants:
        kinds.append(lambda q: q.replace(constants[0], other(constants[0]), 1))
    if "minus(" in flat:
        kinds.append(swapminus)
    if not kinds:
        return None
    mistaken = rng.choice(kinds)(flat)
    return mistaken if mistaken != flat else None


def other(constant):
    if constant.startswith("'"):
        return "'" + constant[1:-1] + "x'"
    return str(int(constant) + 1)


def closing(text, start):
    """The position of the ")" closing the "(" before start, and of the comma at depth 0."""
    depth, comma = 0, None
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            if depth == 0:
                return i, comma
            depth -= 1
        elif text[i] == "," and depth == 0 and comma is None:
            comma = i
    return None, comma


def swapminus(q):
    at = q.find("minus(") + len("minus(")
    close, comma = closing(q, at)
    if close is None or comma is None:
        return q
    return q[:at] + q[comma + 1:close] + "," + q[at:comma] + q[close:]


def dropconjunct(q):
    at = q.find("AND(") + len("AND(")
    close, comma = closing(q, at)
    if close is None or comma is None:
        return q
    return q[:at - len("AND(")] + q[comma + 1:close] + q[close + 1:]


def grown(tables, rows):
    """The tables copied until they hold about `rows` rows, each copy's integers shifted."""
    blocks = [block.split("\n") for block in tables.strip("\n").split("\n\n")]
    total = sum(len(b) - 1 for b in blocks)
    copies = max(1, rows // max(total, 1))
    out = []
    for block in blocks:
        lines = [block[0]]
        for copy in range(copies):
            for line in block[1:]:
                lines.append(re.sub(r"(?<![0-9'a-zA-Z])(-?[0-9]+)(?![0-9a-zA-Z'])",
                                    lambda m: str(int(m.group(1)) + 100000 * copy), line)
                             if copy else line)
        out.append("\n".join(lines))
    return "\n\n".join(out) + "\n"


def resultrows(relalg, path, scratch):
    output = os.path.join(scratch, "result.out")
    subprocess.run([relalg, path, output], check=True)
    text = open(output).read()
    start = text.rfind("\n\n", 0, len(text) - 2) + 2
    lines = text[start:].split("\n")
    header = lines[0]
    return header.count(" ") and header, set(l for l in lines[1:] if l)


def showsdifference(relalg, answerquery, counterexample, scratch):
    """Whether both queries, run on the counterexample, give different results."""
    _, _, tables = counterexample.partition("\n\n")
    results = []
    for query in (answerquery, counterexample.partition("\n\n")[0]):
        path = os.path.join(scratch, "again.txt")
        open(path, "w").write(query + "\n\n" + tables)
        output = os.path.join(scratch, "again.out")
        subprocess.run([relalg, path, output], check=True)
        text = open(output).read()
        start = text.rfind("\n\n", 0, len(text) - 2) + 2
        lines = [l for l in text[start:].split("\n") if l]
        columns = lines[0].count(",") + 1 if lines and lines[0].endswith(")") and "()" not in lines[0] else 0
        results.append((columns, set(lines[1:])))
    return results[0] != results[1]


def runcheck(check, answer, inputs, extra=(), limit=None):
    """The report and the seconds taken; None for the report past the limit."""
    start = time.monotonic()
    try:
        done = subprocess.run([check, "--json", *extra, answer, *inputs], stdout=subprocess.PIPE,
                              timeout=limit)
    except subprocess.TimeoutExpired:
        return None, time.monotonic() - start
    seconds = time.monotonic() - start
    return json.loads(done.stdout), seconds


def timerelalg(relalg, query, tables, scratch, limit):
    """How long relalg itself takes to evaluate a query over the tables, at most the limit."""
    path = os.path.join(scratch, "alone.txt")
    open(path, "w").write(query + "\n\n" + tables)
    start = time.monotonic()
    try:
        subprocess.run([relalg, path, os.path.join(scratch, "alone.out")], timeout=limit,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        pass
    return time.monotonic() - start


def verdict(ok):
    return "met" if ok else "MISSED"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", required=True)
    parser.add_argument("--relalg", required=True)
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    rng = random.Random(20261209)
    pool = answers()
    cases = []  # (answer file text, answer query, mistaken query)
    while len(cases) < (40 if args.quick else 100):
        name, query, tables = rng.choice(pool)
        mistaken = mistakes(query, rng)
        if mistaken:
            cases.append((name, query, tables, mistaken))
    missed = False
    with tempfile.TemporaryDirectory() as scratch:
        # 1. Course size: each database's answers checked against its first, 100 inputs in
        # one call: the other answers, and their mistakes.
        total = 0.0
        checked = differing = proven = shown = reruns = 0
        for folder in sorted(set(c[0].split("/")[0] for c in cases)):
            mine = [a for a in pool if a[0].startswith(folder + "/")]
            answerpath = os.path.join(scratch, "answer.txt")
            open(answerpath, "w").write(mine[0][1] + "\n\n" + mine[0][2])
            queries = [" ".join(a[1].split()) for a in mine]
            while len(queries) < 100:
                mistaken = mistakes(rng.choice(mine)[1], rng)
                if mistaken:
                    queries.append(mistaken)
            inputs = []
            for i, query in enumerate(queries):
                path = os.path.join(scratch, "input%d.txt" % i)
                open(path, "w").write(query + "\n")
                inputs.append(path)
            report, seconds = runcheck(args.check, answerpath, inputs)
            print("  %s: %d inputs in %.2f s" % (folder, len(inputs), seconds))
            total = max(total, seconds)
            checked += len(inputs)
            for entry in report["inputs"]:
                if entry["verdict"] != "differs":
                    continue
                differing += 1
                proven += entry["smallest"]
                reruns += 1
                shown += showsdifference(args.relalg, mine[0][1], entry["counterexample"], scratch)
        print("course size: %d inputs, at most %.2f s for 100 in one call; %d differ, %d proven "
              "the smallest" % (checked, total, differing, proven))
        ok = total <= 2.0 and proven >= 0.9 * differing
        print("  target: 100 inputs within 2 s, the smallest proven for 90%%: %s" % verdict(ok))
        missed |= not ok
        # 2. Grown databases: each input alone, its time and its counterexample's rows.
        for rows in ([10000] if args.quick else [10000, 100000]):
            times, sizes, slow = [], [], []
            bound = 0.5 if rows == 10000 else 2.0
            for case in cases[:20 if args.quick else 30]:
                answerpath = os.path.join(scratch, "grown.txt")
                tables = grown(case[2], rows)
                open(answerpath, "w").write(case[1] + "\n\n" + tables)
                path = os.path.join(scratch, "mistake.txt")
                open(path, "w").write(case[3] + "\n")
                report, seconds = runcheck(args.check, answerpath, [path], limit=60)
                times.append(seconds)
                if seconds > bound:
                    # Checking evaluates the wrong query on the whole database: what relalg
                    # itself takes for it is the floor.
                    slow.append((seconds, timerelalg(args.relalg, case[3], tables, scratch, 60)))
                if report is None:
                    continue
                entry = report["inputs"][0]
                if entry["verdict"] == "differs":
                    sizes.append(entry["rows"])
                    reruns += 1
                    shown += showsdifference(args.relalg, case[1], entry["counterexample"],
                                             scratch)
            p95 = sorted(times)[int(0.95 * (len(times) - 1))]
            mean = statistics.mean(sizes) if sizes else 0
            ok = p95 <= bound and (rows == 10000 or mean <= 4)
            print("%d rows: %d inputs, median %.2f s, 95th percentile %.2f s, mean counterexample "
                  "%.1f rows: %s" % (rows, len(times), statistics.median(times), p95, mean,
                                     verdict(ok)))
            for seconds, alone in slow:
                print("  over %.1f s: %.1f s (60 at most); relalg alone on the wrong query %.1f s"
                      % (bound, seconds, alone))
            missed |= not ok
        # 3. Mistakes a part of the database hides: --generate 1000 from that part alone.
        hidden = found = 0
        slow = 0
        for case in cases:
            blocks = case[2].strip("\n").split("\n\n")
            # The headers and the first row of each table: a part on which most mistakes hide.
            part = "\n\n".join("\n".join(b.split("\n")[:2]) for b in blocks) + "\n"
            partpath = os.path.join(scratch, "part.txt")
            open(partpath, "w").write(case[1] + "\n\n" + part)
            wholepath = os.path.join(scratch, "whole.txt")
            open(wholepath, "w").write(case[1] + "\n\n" + case[2])
            path = os.path.join(scratch, "mistake.txt")
            open(path, "w").write(case[3] + "\n")
            onpart, _ = runcheck(args.check, partpath, [path])
            onwhole, _ = runcheck(args.check, wholepath, [path])
            if onpart["inputs"][0]["verdict"] != "same" or \
                    onwhole["inputs"][0]["verdict"] != "differs":
                continue
            hidden += 1
            report, seconds = runcheck(args.check, partpath, [path], ("--generate", "1000"))
            slow += seconds > 5
            if report["inputs"][0]["verdict"] == "differs" and seconds <= 5:
                found += 1
                reruns += 1
                shown += showsdifference(args.relalg, case[1],
                                         report["inputs"][0]["counterexample"], scratch)
        ok = hidden == 0 or found >= 0.9 * hidden
        print("hidden by a part: %d mistakes, %d found by --generate 1000 within 5 s: %s"
              % (hidden, found, verdict(ok)))
        missed |= not ok
        ok = shown == reruns
        print("counterexamples run again: %d of %d show the difference: %s"
              % (shown, reruns, verdict(ok)))
        missed |= not ok
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
