-- 左连接：每位员工及其上级（总经理没有上级）
select e.LastName, e.FirstName, m.LastName as ManagerName from employees e left join employees m on e.ReportsTo = m.EmployeeID
