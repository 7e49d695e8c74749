SELECT DISTINCT title, credits FROM courses WHERE credits >= 5;
