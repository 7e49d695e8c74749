WITH
  select_1("#", "name", "dept", "age") AS (SELECT rowid, "name", "dept", "age" FROM "emp" WHERE ("dept" = 'sales' OR "age" > 40))
SELECT "name", "dept", "age" FROM select_1 ORDER BY select_1."#";
