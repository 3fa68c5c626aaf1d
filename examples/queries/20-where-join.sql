-- Old-style join written in WHERE
select p.ProductName, s.CompanyName from products p, suppliers s where p.SupplierID = s.SupplierID and s.Country = '中国'
