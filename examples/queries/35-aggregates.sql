-- 聚合函数：每个类别的最低、最高、平均单价
select c.CategoryName, min(p.UnitPrice) as MinPrice, max(p.UnitPrice) as MaxPrice, avg(p.UnitPrice) as AvgPrice from products p inner join categories c on p.CategoryID = c.CategoryID group by c.CategoryName
