SELECT s.sid, s.sname
FROM students AS s
WHERE NOT EXISTS (SELECT cid FROM courses WHERE cdept = 'cs'
                  EXCEPT
                  SELECT course FROM enrolled WHERE student = s.sid);
