SELECT eid, ename FROM employees WHERE eid NOT IN (SELECT boss FROM employees);
