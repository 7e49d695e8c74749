CREATE TABLE "emp" ("name" TEXT);
INSERT INTO "emp" VALUES
  ('Ann');
WITH
  -- no table is named nosuch: it is empty
  empty_1("#") AS (SELECT 0 WHERE FALSE),
  select_2("#") AS (SELECT 0 WHERE FALSE),
  product_3("name") AS (SELECT DISTINCT l."name" FROM "emp" AS l CROSS JOIN select_2 AS r)
SELECT "name" FROM product_3 ORDER BY product_3."name";
