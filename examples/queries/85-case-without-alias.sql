select ProductName, case when UnitsInStock = 0 then '缺货' end from products order by ProductName
