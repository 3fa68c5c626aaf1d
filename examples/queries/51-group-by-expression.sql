-- 按表达式分组：每年的订单数和运费
select strftime('%Y', OrderDate) as 年份, count(*) as 订单数, sum(Freight) as 运费 from orders group by strftime('%Y', OrderDate)
