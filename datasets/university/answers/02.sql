SELECT DISTINCT s.sname, e.grade
FROM students AS s JOIN enrolled AS e ON e.student = s.sid
WHERE e.course = 102;
