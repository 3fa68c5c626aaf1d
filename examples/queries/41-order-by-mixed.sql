-- 一列降序、一列升序
select CategoryID, ProductName, UnitPrice from products order by CategoryID asc, UnitPrice desc
