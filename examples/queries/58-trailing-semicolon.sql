select ProductName from products where UnitPrice > 50;
