select ProductName, UnitPrice from products where CategoryID in(1, 2) and SupplierID not in(select SupplierID from suppliers where City = '上海')
