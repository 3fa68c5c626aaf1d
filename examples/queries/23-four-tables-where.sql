-- 四表连接写在 where 中
select p.ProductName, c.CategoryName, s.CompanyName, i.Quantity from products p, categories c, suppliers s, order_items i where p.CategoryID = c.CategoryID and p.SupplierID = s.SupplierID and i.ProductID = p.ProductID and i.OrderID = 10100
