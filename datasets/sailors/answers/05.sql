SELECT DISTINCT s.sname
FROM sailors AS s
WHERE NOT EXISTS (SELECT 1 FROM reserves AS r WHERE r.sailor = s.sid);
