CREATE TABLE "emp" ("name" TEXT);
INSERT INTO "emp" VALUES
  ('Ann');
-- the result has no columns: the statement returns no rows
SELECT 0 WHERE FALSE;
