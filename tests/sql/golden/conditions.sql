-- its column 3, a, is created as a_3: SQL needs it distinct
CREATE TABLE "t" ("a" INTEGER, "n" TEXT, "a_3" TEXT);
INSERT INTO "t" VALUES
  (1, '3', 'x'),
  (2, '2', 'y'),
  (3, '10', 'b');
WITH
  select_1("#", "a", "n", "a_3") AS (SELECT rowid, "a", "n", "a_3" FROM "t" WHERE (('10' < '9' OR FALSE) AND ("a_3" >= '2x' AND (NOT (CAST("n" AS INTEGER) < CAST("n" AS INTEGER)) AND "n" <> "a_3"))))
SELECT "a", "n", "a_3" AS "a" FROM select_1 ORDER BY select_1."#";
