CREATE TABLE "t" ("c" TEXT, "n" INTEGER);
INSERT INTO "t" VALUES
  ('a', 1),
  ('b', 2),
  ('12', 12);
CREATE TABLE "u" ("c" TEXT, "n" TEXT);
INSERT INTO "u" VALUES
  ('b', ' 2x'),
  ('c', 'two');
WITH
  union_1("c", "n") AS (SELECT "c", "n" FROM "t" UNION SELECT "c", CAST("n" AS INTEGER) FROM "u"),
  project_2("c", "n") AS (SELECT DISTINCT "c", "n" FROM union_1),
  select_3("c", "n") AS (SELECT "c", "n" FROM project_2 WHERE ("c" > 'a' AND "n" = CAST("c" AS INTEGER)))
SELECT "c", "n" FROM select_3 ORDER BY select_3."c", select_3."n";
