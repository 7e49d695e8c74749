SELECT DISTINCT s.sname
FROM sailors AS s JOIN reserves AS r ON r.sailor = s.sid
WHERE r.boat = 103;
