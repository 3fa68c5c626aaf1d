-- 列别名：用 as 给列起中文名
select ProductName as 产品名称, UnitPrice as 单价 from products
