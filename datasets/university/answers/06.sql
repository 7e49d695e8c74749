SELECT s.sid, s.sname
FROM students AS s JOIN enrolled AS e ON e.student = s.sid
GROUP BY s.sid, s.sname
HAVING MIN(e.grade) >= 4;
