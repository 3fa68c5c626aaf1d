-- FROM 中的子查询：每个类别的产品数
select t.CategoryID, t.n from (select CategoryID, count(*) as n from products group by CategoryID) t where t.n > 8
