SELECT e.eid, e.ename
FROM employees AS e
WHERE EXISTS (SELECT 1 FROM assignments AS a
                JOIN projects AS p ON p.pid = a.proj
                JOIN departments AS d ON d.did = p.owner
              WHERE a.emp = e.eid AND d.dname = 'Research')
  AND EXISTS (SELECT 1 FROM assignments AS a
                JOIN projects AS p ON p.pid = a.proj
                JOIN departments AS d ON d.did = p.owner
              WHERE a.emp = e.eid AND d.dname = 'Sales');
