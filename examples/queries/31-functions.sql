-- 函数：名称长度、大写、四舍五入
select ProductName, length(ProductName) as NameLength, round(UnitPrice * 1.13, 2) as PriceWithTax from products where SupplierID = 13
