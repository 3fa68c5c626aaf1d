select count(*) as n, sum(UnitPrice) as total from products having count(*) > 10
