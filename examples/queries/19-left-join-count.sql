-- Orders per customer; a left join keeps customers without orders
select c.CustomerID, c.CompanyName, count(o.OrderID) as Orders from customers c left outer join orders o on c.CustomerID = o.CustomerID where c.City = '北京' group by c.CustomerID, c.CompanyName
