SELECT DISTINCT sname FROM sailors
WHERE sid IN (SELECT r.sailor FROM reserves AS r JOIN boats AS b ON b.bid = r.boat
              WHERE b.color = 'red'
              INTERSECT
              SELECT r.sailor FROM reserves AS r JOIN boats AS b ON b.bid = r.boat
              WHERE b.color = 'green');
