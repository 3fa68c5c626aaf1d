-- 括号中的连接带一个名称：单价超过 30 的产品及其类别
select pc.ProductName, pc.CategoryName from (products p join categories c on c.CategoryID = p.CategoryID) as pc where pc.UnitPrice > 30
