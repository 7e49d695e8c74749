SELECT e.eid, e.ename
FROM employees AS e JOIN employees AS b ON b.eid = e.boss
WHERE e.salary > b.salary;
