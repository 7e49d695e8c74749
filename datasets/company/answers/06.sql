SELECT e.eid, e.ename, g.eid, g.ename
FROM employees AS e
  JOIN employees AS b ON b.eid = e.boss
  JOIN employees AS g ON g.eid = b.boss;
