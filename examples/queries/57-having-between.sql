select CategoryID, count(*) as n from products group by CategoryID having count(*) between 8 and 12
