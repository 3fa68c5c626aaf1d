select count(*) from (select CategoryID from products group by CategoryID having count(*) > 2 except select CategoryID from categories where CategoryName like '%酒%')
