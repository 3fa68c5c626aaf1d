select t.* from (select ProductName, UnitPrice from products where CategoryID = 1) t where t.UnitPrice > 5
