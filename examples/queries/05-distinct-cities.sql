-- 去掉重复：客户所在的城市
select distinct City from customers
