SELECT DISTINCT s.sname
FROM students AS s
WHERE s.sid IN (SELECT e.student FROM enrolled AS e JOIN courses AS c ON c.cid = e.course
                WHERE c.title = 'Databases')
  AND s.sid IN (SELECT e.student FROM enrolled AS e JOIN courses AS c ON c.cid = e.course
                WHERE c.title = 'Algorithms');
