-- Self-join: products of the same supplier and category
select a.ProductName, b.ProductName as Other from products a inner join products b on a.SupplierID = b.SupplierID and a.CategoryID = b.CategoryID where a.ProductID < b.ProductID
