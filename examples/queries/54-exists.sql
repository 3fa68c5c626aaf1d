-- EXISTS：下过订单的客户
select c.CompanyName, c.City from customers c where c.Country = '中国' and exists (select 1 from orders o where o.CustomerID = c.CustomerID) and c.City <> '北京'
