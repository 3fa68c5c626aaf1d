-- 三表连接：订单、客户与员工
select o.OrderID, c.CompanyName, e.LastName, e.FirstName from orders o inner join customers c on o.CustomerID = c.CustomerID inner join employees e on o.EmployeeID = e.EmployeeID where o.OrderID < 10020
