SELECT d.dname, e.ename
FROM employees AS e JOIN departments AS d ON d.did = e.works
WHERE e.salary = (SELECT MAX(o.salary) FROM employees AS o WHERE o.works = e.works);
