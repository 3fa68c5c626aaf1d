select e.LastName, o.OrderID, c.CompanyName from employees e left join orders o on o.EmployeeID = e.EmployeeID and o.Freight > 198.5 join customers c on c.CustomerID = o.CustomerID
