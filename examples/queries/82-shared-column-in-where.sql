select ProductID, ProductName, sum(Quantity) as q from order_items right join products using (ProductID) where ProductID < 20 group by ProductID order by ProductID
