-- 左连接的 on 条件先写被连接的表：仍保留全部员工
select e.LastName, e.FirstName, m.LastName as ManagerName from employees e left join employees m on m.EmployeeID = e.ReportsTo
