-- 像 Access 那样把每个联接写在括号里：经手员工的订单及其客户（员工的内联接使左联接成为内联接）
select c.CompanyName, o.OrderID, e.LastName from ((customers c left join orders o on o.CustomerID = c.CustomerID) inner join employees e on e.EmployeeID = o.EmployeeID) left join order_items i on i.OrderID = o.OrderID and i.Quantity > 10 order by c.CustomerID, o.OrderID, i.ProductID
