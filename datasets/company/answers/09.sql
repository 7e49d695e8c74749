SELECT e.eid, e.ename
FROM employees AS e JOIN assignments AS a ON a.emp = e.eid
GROUP BY e.eid, e.ename
HAVING COUNT(DISTINCT a.proj) = (SELECT COUNT(*) FROM projects);
