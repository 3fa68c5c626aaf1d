/* 先写注释 */ select p.ProductName, -- 产品
       p.UnitPrice /* 单价 */
from products p -- 所有产品
where p.UnitPrice > 30 /* 贵的 */ and p.Discontinued = 0
