select OrderID, ProductID, Quantity from orders natural join order_items where Quantity >= 40
