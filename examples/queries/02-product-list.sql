-- Chosen columns of one table
select ProductName, QuantityPerUnit, UnitPrice from products
