SELECT DISTINCT s.sname
FROM students AS s
  JOIN enrolled AS e ON e.student = s.sid
  JOIN courses AS c ON c.cid = e.course
  JOIN teachers AS t ON t.tid = c.teacher
WHERE t.tname = 'Novak';
