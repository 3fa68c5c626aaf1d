-- 订单及其客户的全部列：USING 共用的客户编号只出现一次
select * from orders join customers using (CustomerID) where Freight > 50
