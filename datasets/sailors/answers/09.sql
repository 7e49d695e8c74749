SELECT DISTINCT s.sname
FROM sailors AS s JOIN reserves AS r ON r.sailor = s.sid
GROUP BY s.sid, s.sname
HAVING COUNT(DISTINCT r.boat) = (SELECT COUNT(*) FROM boats);
