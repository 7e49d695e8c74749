SELECT DISTINCT s.sid, s.sname
FROM students AS s
  JOIN enrolled AS e ON e.student = s.sid
  JOIN enrolled AS theirs ON theirs.course = e.course AND theirs.student = 1
WHERE e.grade > theirs.grade;
