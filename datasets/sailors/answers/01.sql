SELECT DISTINCT sname, age FROM sailors WHERE rating >= 8;
