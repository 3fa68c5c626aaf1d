-- 有客户但没有供应商的城市
select City from customers except select City from suppliers
