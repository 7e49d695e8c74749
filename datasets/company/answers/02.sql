SELECT e.eid, e.ename, d.dname
FROM employees AS e JOIN departments AS d ON d.did = e.works;
