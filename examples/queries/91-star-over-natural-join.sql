-- 单价超过20的产品及其类别的全部列（NATURAL JOIN）
select * from categories natural join products where UnitPrice > 20 order by ProductID
