-- JOIN without a word in front is an inner join
select o.OrderID, c.CompanyName from orders o join customers c on o.CustomerID = c.CustomerID where o.Freight > 150
