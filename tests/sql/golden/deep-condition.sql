CREATE TABLE "emp" ("id" INTEGER, "name" TEXT);
INSERT INTO "emp" VALUES
  (0, 'Ann'),
  (7, 'Bob'),
  (31, 'Cyd');
-- a condition nests 30 levels deep: SQLite may refuse it past 25
WITH
  select_1("#", "id", "name") AS (SELECT rowid, "id", "name" FROM "emp" WHERE ("id" <> 1 AND ("id" <> 2 AND ("id" <> 3 AND ("id" <> 4 AND ("id" <> 5 AND ("id" <> 6 AND ("id" <> 7 AND ("id" <> 8 AND ("id" <> 9 AND ("id" <> 10 AND ("id" <> 11 AND ("id" <> 12 AND ("id" <> 13 AND ("id" <> 14 AND ("id" <> 15 AND ("id" <> 16 AND ("id" <> 17 AND ("id" <> 18 AND ("id" <> 19 AND ("id" <> 20 AND ("id" <> 21 AND ("id" <> 22 AND ("id" <> 23 AND ("id" <> 24 AND ("id" <> 25 AND ("id" <> 26 AND ("id" <> 27 AND ("id" <> 28 AND ("id" <> 29 AND "id" <> 30))))))))))))))))))))))))))))))
SELECT "id", "name" FROM select_1 ORDER BY select_1."#";
