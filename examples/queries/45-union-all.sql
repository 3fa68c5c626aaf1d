-- 保留重复行：员工与供应商所在的城市
select City from employees union all select City from suppliers
