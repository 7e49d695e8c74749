SELECT e.eid, e.ename
FROM employees AS e
WHERE NOT EXISTS (SELECT 1 FROM projects AS p
                  WHERE p.owner = e.works
                    AND NOT EXISTS (SELECT 1 FROM assignments AS a
                                    WHERE a.emp = e.eid AND a.proj = p.pid));
