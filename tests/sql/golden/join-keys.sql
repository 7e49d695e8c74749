CREATE TABLE "emp" ("name" TEXT, "deptno" INTEGER);
INSERT INTO "emp" VALUES
  ('Ann', 10),
  ('Bob', 20),
  ('Cyd', 10),
  ('Dee', 30);
CREATE TABLE "dept" ("dno" INTEGER, "dname" TEXT);
INSERT INTO "dept" VALUES
  (10, 'Sales'),
  (20, 'IT'),
  (40, 'Legal');
WITH
  product_1("name", "deptno", "dno", "dname") AS (SELECT DISTINCT l."name", l."deptno", r."dno", r."dname" FROM "emp" AS l CROSS JOIN "dept" AS r),
  select_2("name", "deptno", "dno", "dname") AS (SELECT "name", "deptno", "dno", "dname" FROM product_1 WHERE "deptno" = "dno"),
  project_3("name", "dname") AS (SELECT DISTINCT "name", "dname" FROM select_2)
SELECT "name", "dname" FROM project_3 ORDER BY project_3."name", project_3."dname";
