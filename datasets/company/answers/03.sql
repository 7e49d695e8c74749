SELECT DISTINCT e.eid, e.ename
FROM employees AS e
  JOIN assignments AS a ON a.emp = e.eid
  JOIN projects AS p ON p.pid = a.proj
WHERE p.owner <> e.works;
