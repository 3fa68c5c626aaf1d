-- 名称中含“奶酪”的产品
select ProductName, UnitPrice from products where ProductName like '%奶酪%'
