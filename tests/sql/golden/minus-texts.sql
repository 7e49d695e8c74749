CREATE TABLE "codes" ("code" INTEGER, "note" TEXT);
INSERT INTO "codes" VALUES
  (5, 'a'),
  (7, 'b'),
  (5, 'a'),
  (9, 'c');
CREATE TABLE "texts" ("code" TEXT, "note" TEXT, "extra" INTEGER);
INSERT INTO "texts" VALUES
  ('5', 'a', 0),
  ('09', 'c', 0);
CREATE TABLE "narrow" ("code" INTEGER);
INSERT INTO "narrow" VALUES
  (7);
WITH
  minus_1("#", "code", "note") AS (SELECT l.rowid, l."code", l."note" FROM "codes" AS l WHERE NOT EXISTS (SELECT 1 FROM "texts" AS r WHERE r."code" = CAST(l."code" AS TEXT) AND r."note" = l."note")),
  minus_2("#", "code", "note") AS (SELECT "#", "code", "note" FROM minus_1)
SELECT "code", "note" FROM minus_2 ORDER BY minus_2."#";
