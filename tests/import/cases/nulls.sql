CREATE TABLE t (id INTEGER, mark INTEGER, note TEXT);
INSERT INTO t VALUES (1, 5, 'ok'), (2, NULL, NULL), (3, 4, 'fine');
