select ProductName from products where Discontinued and CategoryID = 1 or not Discontinued and UnitsInStock = 0
