-- The condition on the outer table stays in ON: customers without large orders still show
select c.CustomerID, o.OrderID, o.Freight from customers c left join orders o on c.CustomerID = o.CustomerID and o.Freight > 100
