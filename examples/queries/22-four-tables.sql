-- Four tables: what each customer bought
select c.CompanyName, o.OrderID, p.ProductName, i.Quantity from customers c inner join orders o on c.CustomerID = o.CustomerID inner join order_items i on o.OrderID = i.OrderID inner join products p on i.ProductID = p.ProductID where c.City = '杭州'
