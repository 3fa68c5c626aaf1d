select CompanyName, (select count(*) from orders o where o.CustomerID = customers.CustomerID) from customers order by 2 desc, 1
