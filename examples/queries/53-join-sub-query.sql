-- 联接 FROM 中的子查询：每种产品的销量
select p.ProductName, t.Total from products p inner join (select ProductID, sum(Quantity) as Total from order_items group by ProductID) t on p.ProductID = t.ProductID where t.Total > 900
