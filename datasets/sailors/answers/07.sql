SELECT DISTINCT s.sid, s.sname
FROM sailors AS s JOIN reserves AS r ON r.sailor = s.sid
GROUP BY s.sid, s.sname, r.boat
HAVING COUNT(DISTINCT r.day) > 1;
