select o.OrderID, i.Quantity from orders o join order_items i using (OrderID) where i.Quantity > 30
