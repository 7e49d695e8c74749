SELECT sid, sname FROM sailors WHERE rating = (SELECT MAX(rating) FROM sailors);
