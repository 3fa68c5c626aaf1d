select count(*) from orders o join customers c on c.CustomerID = o.CustomerID join employees e on e.EmployeeID = o.EmployeeID and e.City = c.City
