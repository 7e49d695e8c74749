CREATE TABLE "emp" ("name" TEXT, "dept" TEXT, "age" INTEGER);
INSERT INTO "emp" VALUES
  ('Eve', 'sales', 28),
  ('Bob', 'it', 45),
  ('Ann', 'sales', 34);
WITH
  rename_1("#", "x", "x_2", "y") AS (SELECT rowid, "name", "dept", "age" FROM "emp"),
  select_2("#", "x", "x_2", "y") AS (SELECT "#", "x", "x_2", "y" FROM rename_1 WHERE "x_2" > 'b')
SELECT "x", "x_2" AS "x", "y" FROM select_2 ORDER BY select_2."#";
