-- Employees whose sales passed 200,000, with their names
select e.LastName, e.FirstName, sum(i.UnitPrice * i.Quantity) as Sales from employees e inner join orders o on e.EmployeeID = o.EmployeeID inner join order_items i on o.OrderID = i.OrderID group by e.LastName, e.FirstName having sum(i.UnitPrice * i.Quantity) > 200000
