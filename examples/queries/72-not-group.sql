select ProductName from products where UnitsInStock > 0 and not (CategoryID = 1 or SupplierID = 2)
