-- 价格区间：between 与其后的条件
select ProductName, UnitPrice from products where UnitPrice between 10 and 20 and CategoryID in (1, 2) order by UnitPrice
