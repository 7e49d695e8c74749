CREATE TABLE "t" ("c" TEXT, "n" INTEGER);
INSERT INTO "t" VALUES
  ('a', 1),
  ('été', 2),
  ('z', 2147483647);
CREATE TABLE "u" ("c" TEXT, "n" TEXT);
INSERT INTO "u" VALUES
  ('b', '3000000000'),
  ('c', '7');
-- the value 99999999999 of column n of table t is read as 2147483647, saturated to 32 bits
-- the text '3000000000' of column n is read as an integer: relalg saturates it to 32 bits, SQLite does not
-- the text 'été' of column c has bytes above 127 and is compared for order: relalg orders by bytes, an engine may order otherwise
-- the constant 'é' has bytes above 127 and is compared for order: relalg orders by bytes, an engine may order otherwise
-- the constant 99999999999 is read as 2147483647, saturated to 32 bits
WITH
  union_1("c", "n") AS (SELECT "c", "n" FROM "t" UNION SELECT "c", CAST("n" AS INTEGER) FROM "u"),
  select_2("c", "n") AS (SELECT "c", "n" FROM union_1 WHERE ("c" < 'é' AND "n" > 2147483647))
SELECT "c", "n" FROM select_2 ORDER BY select_2."c", select_2."n";
