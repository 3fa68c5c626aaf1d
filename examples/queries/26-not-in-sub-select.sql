-- 没有停产产品的供应商（not in 子查询）
select CompanyName, City from suppliers where SupplierID not in (select SupplierID from products where Discontinued = 1)
