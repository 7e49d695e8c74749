SELECT DISTINCT ename, salary FROM employees WHERE salary > 5000;
