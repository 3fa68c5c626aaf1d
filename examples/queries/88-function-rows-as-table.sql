-- 表值函数作为表：与 JSON 数组中的编号相同的产品
select p.ProductName, j.value from products p join json_each('[1, 3, 5]') j on j.value = p.ProductID
