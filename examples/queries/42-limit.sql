-- The ten most expensive products
select ProductName, UnitPrice from products order by UnitPrice desc limit 10
