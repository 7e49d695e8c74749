SELECT s.sid, s.sname
FROM sailors AS s
WHERE NOT EXISTS (SELECT 1 FROM boats AS b
                  WHERE b.color = 'red'
                    AND NOT EXISTS (SELECT 1 FROM reserves AS r
                                    WHERE r.sailor = s.sid AND r.boat = b.bid));
