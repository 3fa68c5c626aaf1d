-- 一张表的全部列加上另一张表的一列
select o.*, c.CompanyName from orders o inner join customers c on o.CustomerID = c.CustomerID where o.OrderID <= 10005
