-- its column 3, name, is created as name_3: SQL needs it distinct
CREATE TABLE "emp" ("name" TEXT, "dept" TEXT, "name_3" INTEGER);
INSERT INTO "emp" VALUES
  ('Eve', 'sales', 1),
  ('Bob', 'it', 2),
  ('Ann', 'sales', 3),
  ('Eve', 'sales', 4);
WITH
  project_1("dept", "name", "dept_3") AS (SELECT DISTINCT "dept", "name", "dept" FROM "emp")
SELECT "dept", "name", "dept_3" AS "dept" FROM project_1 ORDER BY project_1."dept", project_1."name", project_1."dept_3";
