-- Computed column: the value of each order line
select OrderID, ProductID, UnitPrice * Quantity * (1 - Discount) as LineTotal from order_items where OrderID = 10001
