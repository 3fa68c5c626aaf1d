-- Customers with an order of more than 190 in freight
select CustomerID, CompanyName from customers where CustomerID in (select CustomerID from orders where Freight > 190)
