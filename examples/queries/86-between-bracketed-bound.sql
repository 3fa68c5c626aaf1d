select ProductName from products where UnitPrice between 10 and (20 + 5) order by ProductName
