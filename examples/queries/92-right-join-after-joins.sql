-- 全部客户及其运费超过100的订单和经手员工（RIGHT JOIN在其他联接之后）
select c.CompanyName, o.OrderID, e.LastName from orders o join employees e on e.EmployeeID = o.EmployeeID and o.Freight > 100 right join customers c on c.CustomerID = o.CustomerID order by c.CustomerID, o.OrderID
