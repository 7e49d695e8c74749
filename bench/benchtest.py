# Tests of the benchmark: its seeded inputs, and its SQL and checks against relalg on small tables.
"""Usage: python3 bench/benchtest.py   (RELALG=PATH names the relalg program to run)

The tests that run programs need relalg (RELALG, or the one under build-bench/), sqlite3 and
/usr/bin/time, and DuckDB's share needs node and `npm ci --prefix bench`; each is skipped
where its programs are missing.
"""

import os
import shutil
import sys
import tempfile
import unittest

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
sys.dont_write_bytecode = True  # no __pycache__ left in the clone
import gen  # noqa: E402  (beside this script)
import run  # noqa: E402

relalg = os.environ.get("RELALG") or os.path.join(run.root, "build-bench", "relalg")
runnable = os.access(relalg, os.X_OK) and not run.missingtools(False)


def generated(workload, rows, seed=6):
    """The tables gen.py writes for a workload, without writing them."""
    return gen.tablesfor(workload, rows, gen.chance(seed * 1000003 + workload * 1009 + rows))


def column(tables, table, name):
    """The values of one column of one of the generated tables."""
    for tablename, header, body in tables:
        if tablename == table:
            k = [c for c, _ in run.columns(header)].index(name)
            return [row[k] for row in body]
    raise KeyError(table)


class inputs(unittest.TestCase):
    def test_the_same_seed_writes_the_same_bytes_and_another_seed_others(self):
        with tempfile.TemporaryDirectory() as scratch:
            texts = []
            for name, seed in (("a", 6), ("b", 6), ("c", 7)):
                gen.write(11, 10000, os.path.join(scratch, name), seed)
                with open(os.path.join(scratch, name, "input.txt")) as f:
                    texts.append(f.read())
            self.assertEqual(texts[0], texts[1])
            self.assertNotEqual(texts[0], texts[2])

    def test_join_tables_reach_their_full_sizes_at_a_million_rows_and_keep_a_row_when_small(self):
        for w, sizes in gen.fullsizes.items():
            self.assertEqual(gen.tablesizes(w, 1000000), sizes)
            self.assertEqual(len(gen.layout(w)), len(sizes))
        self.assertEqual(gen.tablesizes(10, 10000), [1000, 100, 10])
        self.assertEqual(gen.tablesizes(10, 100), [10, 1, 1])

    def test_join_keys_meet_as_each_workload_says(self):
        one = generated(8, 10000)
        self.assertEqual(sorted(column(one, "emp", "id")), sorted(column(one, "badge", "holder")))
        fk = generated(10, 100000)
        self.assertTrue(set(column(fk, "emp", "dno")) <= set(column(fk, "dept", "did")))
        self.assertTrue(set(column(fk, "emp", "pno")) <= set(column(fk, "proj", "pid")))
        self.assertEqual(len(set(column(fk, "dept", "did"))), 1000)
        text = generated(11, 100000)
        towns = set(column(text, "office", "town"))
        cities = column(text, "emp", "city")
        self.assertEqual(len(towns), 100)
        # Most people live where there is an office, some where there is none.
        self.assertGreater(sum(c in towns for c in cities), len(cities) // 2)
        self.assertLess(sum(c in towns for c in cities), len(cities))

    def test_tables_of_a_join_share_no_column_name(self):
        for w in gen.fullsizes:
            names = [c for _, header in gen.layout(w) for c, _ in run.columns(header)]
            self.assertEqual(len(names), len(set(names)), w)


class conversions(unittest.TestCase):
    def test_workload_lists_take_numbers_and_ranges(self):
        self.assertEqual(run.numbers("8,1-3,9-9"), [1, 2, 3, 8, 9])

    def test_result_table_is_the_last_table_of_the_output(self):
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "out")
            with open(path, "w") as f:
                f.write("q\n\nt(a int)\n1\n\nt(a int, b char(3))\n2,'x'\n3,'y'\n\n")
            self.assertEqual(run.resulttable(path), ("t(a int, b char(3))", ["2,'x'", "3,'y'"]))

    def test_csv_rows_are_quoted_as_the_result_header_types_say(self):
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "rows.csv")
            with open(path, "w") as f:
                f.write("1,Al,-5\n2,Bo,7\n")
            self.assertEqual(run.csvasprinted(path, "emp(id int, name char(12), n int)"),
                             ["1,'Al',-5", "2,'Bo',7"])


@unittest.skipUnless(runnable, "needs relalg, sqlite3 and /usr/bin/time")
class againstrelalg(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="relalg-benchtest-")
        self.optional, _ = run.optionaltools()

    def tearDown(self):
        shutil.rmtree(self.scratch)

    def test_every_alternative_gives_relalgs_rows_on_every_workload(self):
        for w in run.titles:
            _, result = run.measure(w, 1000, 1, self.scratch, relalg, 6, self.optional)
            wanted = {"duckdb", "mawk"} if w == 2 else {"duckdb"}
            expected = {"sqlite3"} | (wanted & self.optional)
            self.assertTrue(expected <= set(result["checks"]), (w, result["checks"]))
            for name, verdict in result["checks"].items():
                self.assertTrue(verdict.startswith("same"), (w, name, verdict))

    def test_a_join_over_repeated_rows_and_repeated_keys_gives_the_products_order(self):
        emp, dept = gen.layout(9)
        tables = [emp + ([(2, "Bo", 1, 30, 10), (1, "Al", 2, 40, 20), (2, "Bo", 1, 30, 10),
                          (3, "Cy", 3, 50, 30), (1, "Al", 1, 40, 20)],),
                  dept + ([(2, "it", 5), (1, "sales", 3), (1, "sales", 3), (1, "hr", 1)],)]
        folder = os.path.join(self.scratch, "repeated")
        gen.writetables(9, tables, folder)
        # The first operand's distinct rows in order, each with its matches in order, each pair once.
        expected = ["1,'Al',1,40,20,1,'hr',1", "1,'Al',1,40,20,1,'sales',3", "1,'Al',2,40,20,2,'it',5",
                    "2,'Bo',1,30,10,1,'hr',1", "2,'Bo',1,30,10,1,'sales',3"]
        tools = [t for t in run.toolsfor(9, folder, relalg, self.optional) if t.rows]
        for t in tools:
            run.timed(t, folder)
        header, _ = run.resulttable(os.path.join(folder, "relalg.out"))
        for t in tools:
            self.assertEqual(t.rows(header), expected, t.name)


if __name__ == "__main__":
    unittest.main()
