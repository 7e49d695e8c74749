CREATE TABLE "t" ("a" INTEGER, "b" TEXT);
INSERT INTO "t" VALUES
  (1, 'été'),
  (2, 'ok');
-- the text '?t?' of column b has bytes above 127 and is compared for order: relalg orders by bytes, an engine may order otherwise
WITH
  select_1("#", "a", "b") AS (SELECT rowid, "a", "b" FROM "t" WHERE "b" > 'a')
SELECT "a", "b" FROM select_1 ORDER BY select_1."#";
