-- Names and values that relalg would not read back.
CREATE TABLE "my table" (a INTEGER);
CREATE TABLE ok ("a column" INTEGER);
CREATE TABLE nul (id INTEGER, t TEXT);
INSERT INTO nul VALUES (1, 'plain'), (2, CAST(x'61006263' AS TEXT));
CREATE TABLE quotes (id INTEGER, t TEXT);
INSERT INTO quotes VALUES (1, 'it''s'), (2, '''twice''');
CREATE TABLE lines (id INTEGER, t TEXT);
INSERT INTO lines VALUES (1, 'one'), (2, 'two' || char(13, 10) || 'lines');
