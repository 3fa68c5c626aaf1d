-- CASE 表达式：按单价分档
select ProductName, UnitPrice, case when UnitPrice < 10 then '便宜' when UnitPrice < 50 then '适中' else '昂贵' end as 档次 from products
