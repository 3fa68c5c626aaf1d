select ProductID, ProductName from products order by ProductID limit 5, 10
