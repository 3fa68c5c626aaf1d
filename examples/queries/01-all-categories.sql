-- 全部类别：最简单的查询
select * from categories
