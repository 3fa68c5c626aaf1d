-- A price range written with >= and <=
select ProductName, UnitPrice from products where UnitPrice >= 10 and UnitPrice <= 20
