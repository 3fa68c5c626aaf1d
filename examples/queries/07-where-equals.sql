-- Products of one category
select ProductName, UnitPrice from products where CategoryID = 1
