-- 高于平均单价的产品
select ProductName, UnitPrice from products where UnitPrice > (select avg(UnitPrice) from products)
