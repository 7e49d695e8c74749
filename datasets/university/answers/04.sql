SELECT DISTINCT t.tname, c.title
FROM teachers AS t JOIN courses AS c ON c.teacher = t.tid
WHERE c.cdept <> t.tdept;
