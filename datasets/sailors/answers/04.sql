SELECT sid, sname FROM sailors
WHERE rating > 8 OR sid IN (SELECT sailor FROM reserves WHERE boat = 104);
