select * from categories order by 2 desc
