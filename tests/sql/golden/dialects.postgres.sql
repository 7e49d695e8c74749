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
  union_1("c", "n") AS (SELECT "c", "n" FROM "t" UNION SELECT "c", COALESCE(CAST(substring("n" FROM '^[ \t\n\v\f\r]*([+-]?[0-9]+)') AS INTEGER), 0) FROM "u"),
  project_2("c", "n") AS (SELECT DISTINCT "c", "n" FROM union_1),
  select_3("c", "n") AS (SELECT "c", "n" FROM project_2 WHERE ("c" COLLATE "C" > 'a' AND "n" = COALESCE(CAST(substring("c" FROM '^[ \t\n\v\f\r]*([+-]?[0-9]+)') AS INTEGER), 0)))
SELECT "c", "n" FROM select_3 ORDER BY select_3."c" COLLATE "C", select_3."n";
