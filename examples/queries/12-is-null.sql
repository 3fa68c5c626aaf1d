-- Orders not shipped yet
select OrderID, OrderDate, RequiredDate from orders where ShippedDate is null
