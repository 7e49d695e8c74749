# Seeded generator of the benchmark inputs: one relalg input file and the same rows as CSV.
"""Writes, for one workload and row count, into a folder:

  input.txt    the relalg input: the query, an empty line, the tables;
  TABLE.csv    the rows of each table, without header, for sqlite3 and awk;
  lines.txt    for workloads 1 and 5, the rows sort -u works on, in relalg's printed form.

The same seed, workload and row count always give the same bytes: the only source of chance
is random.Random.random(), whose sequence Python keeps fixed for a given seed.

Usage: python3 gen.py WORKLOAD ROWS FOLDER [--seed N]
"""

import argparse
import bisect
import os
import random

# Departments a firm might have, none longer than char(8).
departments = [
    "sales", "hr", "it", "legal", "finance", "support", "research", "ops",
    "audit", "design", "qa", "security", "training", "shipping", "purchase", "facility",
    "press", "web", "data", "cloud", "mobile", "infra", "billing", "payroll",
    "tax", "risk", "strategy", "pr", "events", "travel", "catering", "archive",
    "library", "fleet", "studio", "labs",
]

syllables = [
    "ba", "be", "da", "di", "el", "fa", "ga", "ha", "is", "jo", "ka", "ke", "la", "li",
    "lo", "ma", "mi", "na", "ne", "no", "ol", "pa", "ra", "re", "ri", "ro", "sa", "se",
    "si", "ta", "te", "to", "va", "vi", "za", "zo",
]
endings = ["", "", "n", "r", "s", "th", "na", "ra"]
namecount = 360

# The query of each workload; product, union and minus name their own tables.
queries = {
    1: "project(emp,name,dept)",
    2: "select(emp,AND(OR(EQ(dept,'sales'),GT(salary,120000)),NOT(OR(LT(age,25),GTE(name,'T')))))",
    3: "rename(emp,staff(i,n,d,a,s))",
    4: "product(emp,proj)",
    5: "union(emp1,emp2)",
    6: "minus(emp1,emp2)",
    7: "union(project(select(emp,GT(salary,100000)),name,dept),"
       "project(select(emp,AND(LT(age,25),NEQ(dept,'sales'))),name,dept))",
}

empheader = "id int, name char(12), dept char(8), age int, salary int"
projheader = "pid int, title char(12), budget int"

# Workload 4 at a nominal row count: the side of the square product.
productsides = {10000: 100, 100000: 300, 1000000: 1000}


class chance:
    """Integers and picks drawn from random() alone, so the sequence is fixed by the seed."""

    def __init__(self, seed):
        self.rng = random.Random(seed)

    def below(self, n):
        return int(self.rng.random() * n)

    def between(self, low, high):
        return low + self.below(high - low + 1)

    def shuffle(self, items):
        for i in range(len(items) - 1, 0, -1):
            j = self.below(i + 1)
            items[i], items[j] = items[j], items[i]

    def weighted(self, cumulative):
        return bisect.bisect_right(cumulative, self.rng.random() * cumulative[-1])


def makenames(dice):
    """A few hundred distinct capitalised names of at most 12 letters."""
    names = []
    seen = set()
    while len(names) < namecount:
        word = "".join(syllables[dice.below(len(syllables))] for _ in range(dice.between(2, 3)))
        word = (word + endings[dice.below(len(endings))])[:12].capitalize()
        if word not in seen:
            seen.add(word)
            names.append(word)
    return names


def zipfweights(count, exponent):
    """Cumulative weights of a skewed choice: the first items are far more common."""
    total = 0.0
    cumulative = []
    for i in range(count):
        total += 1.0 / (i + 1) ** exponent
        cumulative.append(total)
    return cumulative


def emprows(dice, count):
    """count employees with ids 1..count, in shuffled order."""
    names = makenames(dice)
    nameweights = zipfweights(len(names), 0.7)
    deptweights = zipfweights(len(departments), 0.5)
    ids = list(range(1, count + 1))
    dice.shuffle(ids)
    rows = []
    for i in ids:
        name = names[dice.weighted(nameweights)]
        dept = departments[dice.weighted(deptweights)]
        age = dice.between(18, 67)
        salary = 20000 + 100 * dice.between(0, 1300)
        rows.append((i, name, dept, age, salary))
    return rows


def projrows(dice, count):
    titles = ["Apollo", "Borealis", "Cobalt", "Delta", "Ember", "Falcon", "Granite", "Helix",
              "Iris", "Juniper", "Krypton", "Lumen", "Meridian", "Nova", "Orion", "Pulsar"]
    return [(i, titles[dice.below(len(titles))] + str(i % 97), 1000 * dice.between(5, 900))
            for i in range(1, count + 1)]


def printed(row):
    """A row as relalg prints it: integers bare, texts between single quotes."""
    return ",".join(str(v) if isinstance(v, int) else "'" + v + "'" for v in row)


def tablesfor(workload, rows, dice):
    """The tables of a workload: a list of (name, header, rows)."""
    if workload == 4:
        side = productsides.get(rows, int(rows ** 0.5))
        return [("emp", empheader, emprows(dice, side)), ("proj", projheader, projrows(dice, side))]
    if workload in (5, 6):
        # Two halves that share half of their rows: a pool of 3/4 of the rows, the first
        # operand its first two thirds, the second its last two thirds, each reshuffled.
        half = rows // 2
        pool = emprows(dice, half + half // 2)
        first = pool[:half]
        second = pool[half // 2:]
        dice.shuffle(first)
        dice.shuffle(second)
        return [("emp1", empheader, first), ("emp2", empheader, second)]
    return [("emp", empheader, emprows(dice, rows))]


def write(workload, rows, folder, seed):
    dice = chance(seed * 1000003 + workload * 1009 + rows)
    tables = tablesfor(workload, rows, dice)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "input.txt"), "w", newline="\n") as out:
        out.write(queries[workload] + "\n\n")
        out.write("\n\n".join(
            name + "(" + header + ")\n" + "\n".join(printed(r) for r in body)
            for name, header, body in tables))
        out.write("\n")
    for name, _, body in tables:
        with open(os.path.join(folder, name + ".csv"), "w", newline="\n") as out:
            out.writelines(",".join(str(v) for v in r) + "\n" for r in body)
    if workload == 1:
        with open(os.path.join(folder, "lines.txt"), "w", newline="\n") as out:
            out.writelines("'%s','%s'\n" % (r[1], r[2]) for r in tables[0][2])
    if workload == 5:
        with open(os.path.join(folder, "lines.txt"), "w", newline="\n") as out:
            out.writelines(printed(r) + "\n" for _, _, body in tables for r in body)


def main():
    parser = argparse.ArgumentParser(description="Writes the input files of one benchmark workload.")
    parser.add_argument("workload", type=int, choices=sorted(queries))
    parser.add_argument("rows", type=int)
    parser.add_argument("folder")
    parser.add_argument("--seed", type=int, default=6)
    args = parser.parse_args()
    write(args.workload, args.rows, args.folder, args.seed)


if __name__ == "__main__":
    main()
