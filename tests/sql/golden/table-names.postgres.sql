-- a later table named emp replaces the one here
CREATE TABLE "emp" ("name" TEXT, "rowid" INTEGER);
INSERT INTO "emp" VALUES
  ('Ann', 1),
  ('Bob', 2);
-- the table EMP is created as EMP_1: engines take names that differ only in case for one name
-- its column 2, ctid, is created as ctid_2: SQL needs it distinct
CREATE TABLE "EMP_1" ("name" TEXT, "ctid_2" INTEGER);
INSERT INTO "EMP_1" VALUES
  ('Cyd', 3);
CREATE TABLE "union_1" ("x" INTEGER);
INSERT INTO "union_1" VALUES
  (1);
WITH
  union_1_("name", "rowid") AS (SELECT "name", "rowid" FROM "emp" UNION SELECT "name", "ctid_2" FROM "EMP_1")
SELECT "name", "rowid" FROM union_1_ ORDER BY union_1_."name" COLLATE "C", union_1_."rowid";
