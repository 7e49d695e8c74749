-- a later table named emp replaces the one here
-- its column 2, rowid, is created as rowid_2: SQL needs it distinct
CREATE TABLE "emp" ("name" TEXT, "rowid_2" INTEGER);
INSERT INTO "emp" VALUES
  ('Ann', 1),
  ('Bob', 2);
-- the table EMP is created as EMP_1: engines take names that differ only in case for one name
CREATE TABLE "EMP_1" ("name" TEXT, "ctid" INTEGER);
INSERT INTO "EMP_1" VALUES
  ('Cyd', 3);
CREATE TABLE "union_1" ("x" INTEGER);
INSERT INTO "union_1" VALUES
  (1);
WITH
  union_1_("name", "rowid") AS (SELECT "name", "rowid_2" FROM "emp" UNION SELECT "name", "ctid" FROM "EMP_1")
SELECT "name", "rowid" FROM union_1_ ORDER BY union_1_."name", union_1_."rowid";
