-- NOT EXISTS: products never ordered in quantities above 45
select p.ProductName from products p where not exists (select * from order_items i where i.ProductID = p.ProductID and i.Quantity > 45) and p.UnitPrice > 0
