# Seeded generator of the benchmark inputs: one relalg input file and the same rows as CSV.
"""Writes, for one workload and row count, into a folder:

  input.txt    the relalg input: the query, an empty line, the tables;
  TABLE.csv    the rows of each table, without header, for sqlite3, DuckDB and mawk;
  lines.txt    for workload 1, the projected rows sort -u works on, in relalg's printed form;
  TABLE.lines  for workload 5, each table's rows in relalg's printed form, for sort -u.

ROWS is the size of the single-table workloads; the join workloads (8 to 11) scale their
tables' full sizes, the ones given in fullsizes, by ROWS / 1,000,000.

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
    8: "select(product(emp,badge),EQ(id,holder))",
    9: "select(product(emp,dept),EQ(dno,did))",
    10: "select(product(product(emp,dept),proj),AND(EQ(dno,did),EQ(pno,pid)))",
    11: "select(product(emp,office),AND(EQ(city,town),GT(age,40)))",
}

empheader = "id int, name char(12), dept char(8), age int, salary int"
projheader = "pid int, title char(12), budget int"
badgeheader = "holder int, code char(8), floor int"
deptheader = "did int, dname char(16), floor int"
officeheader = "town char(16), street char(16), staff int"

# The join workloads' tables in the order the query names them, and their row counts at
# 1,000,000 nominal rows. Only the join columns share a meaning across tables, never a name.
joinlayouts = {
    8: [("emp", empheader), ("badge", badgeheader)],
    9: [("emp", "id int, name char(12), dno int, age int, salary int"), ("dept", deptheader)],
    10: [("emp", "id int, name char(12), dno int, pno int, age int, salary int"), ("dept", deptheader),
         ("proj", projheader)],
    11: [("emp", "id int, name char(12), city char(16), age int, salary int"), ("office", officeheader)],
}
fullsizes = {8: [100000, 100000], 9: [1000000, 100000], 10: [100000, 10000, 1000], 11: [300000, 1000]}

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


def makewords(dice, count, most, longest):
    """count distinct capitalised words of two to most syllables, cut to longest letters."""
    words = []
    seen = set()
    while len(words) < count:
        word = "".join(syllables[dice.below(len(syllables))] for _ in range(dice.between(2, most)))
        word = (word + endings[dice.below(len(endings))])[:longest].capitalize()
        if word not in seen:
            seen.add(word)
            words.append(word)
    return words


def makenames(dice):
    """A few hundred distinct names of at most 12 letters."""
    return makewords(dice, namecount, 3, 12)


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


def staffrows(dice, count, keys):
    """count employees with ids 1..count, in shuffled order: id, name, the join columns that
    keys() draws, age and salary."""
    names = makenames(dice)
    nameweights = zipfweights(len(names), 0.7)
    ids = list(range(1, count + 1))
    dice.shuffle(ids)
    return [(i, names[dice.weighted(nameweights)]) + keys() +
            (dice.between(18, 67), 20000 + 100 * dice.between(0, 1300)) for i in ids]


def badgerows(dice, count):
    """One badge for each of the employees 1..count, in shuffled order."""
    holders = list(range(1, count + 1))
    dice.shuffle(holders)
    return [(h, syllables[dice.below(len(syllables))].upper() + "%04d" % dice.below(10000),
             dice.between(0, 30)) for h in holders]


def deptrows(dice, count):
    """Departments 1..count, in shuffled order, each named after a kind of department."""
    ids = list(range(1, count + 1))
    dice.shuffle(ids)
    return [(i, departments[dice.below(len(departments))] + str(i), dice.between(0, 30)) for i in ids]


def officerows(dice, towns, count):
    """One office in each of count towns picked at random, in shuffled order."""
    picked = towns[:]
    dice.shuffle(picked)
    streets = makewords(dice, 50, 3, 12)
    return [(town, streets[dice.below(len(streets))] + str(dice.between(1, 99)), dice.between(2, 400))
            for town in picked[:count]]


def joinrows(workload, sizes, dice):
    """The rows of a join workload's tables with the given row counts."""
    if workload == 8:
        return [emprows(dice, sizes[0]), badgerows(dice, sizes[1])]
    if workload == 11:
        # A tenth of the towns where people live have no office.
        towns = makewords(dice, sizes[1] + sizes[1] // 10, 4, 16)
        townweights = zipfweights(len(towns), 0.5)
        staff = staffrows(dice, sizes[0], lambda: (towns[dice.weighted(townweights)],))
        return [staff, officerows(dice, towns, sizes[1])]
    depts = sizes[1]
    if workload == 9:
        return [staffrows(dice, sizes[0], lambda: (dice.between(1, depts),)), deptrows(dice, depts)]
    projects = sizes[2]
    staff = staffrows(dice, sizes[0], lambda: (dice.between(1, depts), dice.between(1, projects)))
    return [staff, deptrows(dice, depts), projrows(dice, projects)]


def tablesizes(workload, rows):
    """The row counts of a join workload's tables at a nominal row count."""
    return [max(1, size * rows // 1000000) for size in fullsizes[workload]]


def printed(row):
    """A row as relalg prints it: integers bare, texts between single quotes."""
    return ",".join(str(v) if isinstance(v, int) else "'" + v + "'" for v in row)


def layout(workload):
    """The names and headers of a workload's tables, in input order."""
    if workload in joinlayouts:
        return joinlayouts[workload]
    if workload == 4:
        return [("emp", empheader), ("proj", projheader)]
    if workload in (5, 6):
        return [("emp1", empheader), ("emp2", empheader)]
    return [("emp", empheader)]


def bodiesfor(workload, rows, dice):
    """The rows of each of a workload's tables."""
    if workload in joinlayouts:
        return joinrows(workload, tablesizes(workload, rows), dice)
    if workload == 4:
        side = productsides.get(rows, int(rows ** 0.5))
        return [emprows(dice, side), projrows(dice, side)]
    if workload in (5, 6):
        # Two halves that share half of their rows: a pool of 3/4 of the rows, the first
        # operand its first two thirds, the second its last two thirds, each reshuffled.
        half = rows // 2
        pool = emprows(dice, half + half // 2)
        first = pool[:half]
        second = pool[half // 2:]
        dice.shuffle(first)
        dice.shuffle(second)
        return [first, second]
    return [emprows(dice, rows)]


def tablesfor(workload, rows, dice):
    """The tables of a workload: a list of (name, header, rows)."""
    bodies = bodiesfor(workload, rows, dice)
    return [(name, header, body) for (name, header), body in zip(layout(workload), bodies)]


def write(workload, rows, folder, seed):
    dice = chance(seed * 1000003 + workload * 1009 + rows)
    writetables(workload, tablesfor(workload, rows, dice), folder)


def writetables(workload, tables, folder):
    """The files of a workload with the given tables, a list of (name, header, rows)."""
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
        for name, _, body in tables:
            with open(os.path.join(folder, name + ".lines"), "w", newline="\n") as out:
                out.writelines(printed(r) + "\n" for r in body)


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
