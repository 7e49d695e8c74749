SELECT DISTINCT t.tname
FROM teachers AS t
WHERE NOT EXISTS (SELECT 1 FROM courses AS c JOIN enrolled AS e ON e.course = c.cid
                  WHERE c.teacher = t.tid);
