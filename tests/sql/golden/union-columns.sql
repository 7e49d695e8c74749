CREATE TABLE "nums" ("n" INTEGER, "label" TEXT);
INSERT INTO "nums" VALUES
  (3, 'c'),
  (1, 'a');
CREATE TABLE "words" ("w" TEXT);
INSERT INTO "words" VALUES
  ('12z'),
  ('x'),
  ('3');
CREATE TABLE "pairs" ("a" INTEGER, "b" INTEGER, "c" INTEGER);
INSERT INTO "pairs" VALUES
  (7, 8, 9),
  (1, 2, 3);
WITH
  union_1("n", "label") AS (SELECT "n", "label" FROM "nums" UNION SELECT CAST("w" AS INTEGER), '' FROM "words"),
  union_2("n", "label") AS (SELECT "n", "label" FROM union_1 UNION SELECT "a", CAST("b" AS TEXT) FROM "pairs")
SELECT "n", "label" FROM union_2 ORDER BY union_2."n", union_2."label";
