-- Tables in an order that is not alphabetical, a view, and SQLite's own sqlite_sequence.
CREATE TABLE student (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, code TEXT, year INTEGER);
INSERT INTO student (name, code, year) VALUES ('Ann', '007', 2), ('Bob', '12', 1), ('Cyd', 'x', 3);
CREATE TABLE course (cid INTEGER, title VARCHAR(40), credits REAL, big INTEGER, blob BLOB, any);
INSERT INTO course VALUES (1, 'Algebra', 4.5, 2147483647, x'414243', 5),
                          (2, 'Logic', 3.0, 2147483648, x'', 'five'),
                          (3, 'Sets', 1e20, -2147483648, x'44', 6);
CREATE TABLE grade (id INTEGER, cid INTEGER, mark INTEGER);
CREATE VIEW names AS SELECT name FROM student;
CREATE TABLE enrolment (id INT, note CHAR(8), score NUMERIC);
