-- 条件的 and 与 or
select ProductName, UnitPrice, UnitsInStock from products where CategoryID = 8 and (UnitPrice > 20 or UnitsInStock < 10)
