CREATE TABLE "t" ("i" INTEGER, "c" TEXT);
INSERT INTO "t" VALUES
  (5, '5'),
  (10, '9'),
  (7, '07'),
  (-1, '-1');
WITH
  select_1("#", "i", "c") AS (SELECT rowid, "i", "c" FROM "t" WHERE (CAST("i" AS TEXT) = "c" OR "c" < CAST("i" AS TEXT)))
SELECT "i", "c" FROM select_1 ORDER BY select_1."#";
