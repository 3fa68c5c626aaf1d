select x.City, count(*) as n from (select City from customers union all select City from suppliers) x group by x.City
