-- 编号1到10的产品，编号由递归的公用表表达式生成（WITH RECURSIVE）
with recursive n(i) as (select 1 union all select i + 1 from n where i < 10) select n.i, p.ProductName from n join products p on p.ProductID = n.i order by n.i
