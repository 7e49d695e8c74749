SELECT c.title, s.sid, s.sname
FROM enrolled AS e
  JOIN students AS s ON s.sid = e.student
  JOIN courses AS c ON c.cid = e.course
WHERE e.grade = (SELECT MAX(x.grade) FROM enrolled AS x WHERE x.course = e.course);
