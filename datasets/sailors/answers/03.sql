SELECT DISTINCT s.sname
FROM sailors AS s
WHERE EXISTS (SELECT 1 FROM reserves AS r JOIN boats AS b ON b.bid = r.boat
              WHERE r.sailor = s.sid AND b.color = 'red');
