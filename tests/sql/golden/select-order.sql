CREATE TABLE "emp" ("name" TEXT, "dept" TEXT, "age" INTEGER);
INSERT INTO "emp" VALUES
  ('Eve', 'sales', 28),
  ('Bob', 'it', 45),
  ('Ann', 'sales', 34),
  ('Eve', 'sales', 28),
  ('Cyd', 'hr', 19);
WITH
  select_1("#", "name", "dept", "age") AS (SELECT rowid, "name", "dept", "age" FROM "emp" WHERE ("dept" = 'sales' OR "age" > 40))
SELECT "name", "dept", "age" FROM select_1 ORDER BY select_1."#";
