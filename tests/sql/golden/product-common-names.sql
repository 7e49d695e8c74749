CREATE TABLE "emp" ("name" TEXT, "dept" TEXT);
INSERT INTO "emp" VALUES
  ('Ann', 'sales'),
  ('Bob', 'it'),
  ('Cyd', 'it');
WITH
  product_1("name", "dept", "name_3", "dept_4") AS (SELECT DISTINCT l."name", l."dept", r."name", r."dept" FROM "emp" AS l CROSS JOIN "emp" AS r),
  select_2("name", "dept", "name_3", "dept_4") AS (SELECT "name", "dept", "name_3", "dept_4" FROM product_1 WHERE ("dept_4" = 'it' AND "name_3" < 'C'))
SELECT "name", "dept", "name_3" AS "name", "dept_4" AS "dept" FROM select_2 ORDER BY select_2."name", select_2."dept", select_2."name_3", select_2."dept_4";
