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
  union_1("c", "n") AS (SELECT "c", "n" FROM "t" UNION SELECT "c", COALESCE(TRY_CAST(regexp_extract("n", '^[ \t\n\v\f\r]*([+-]?[0-9]+)', 1) AS INTEGER), 0) FROM "u"),
  project_2("c", "n") AS (SELECT DISTINCT "c", "n" FROM union_1),
  select_3("c", "n") AS (SELECT "c", "n" FROM project_2 WHERE ("c" > 'a' AND "n" = COALESCE(TRY_CAST(regexp_extract("c", '^[ \t\n\v\f\r]*([+-]?[0-9]+)', 1) AS INTEGER), 0)))
SELECT "c", "n" FROM select_3 ORDER BY select_3."c", select_3."n";
