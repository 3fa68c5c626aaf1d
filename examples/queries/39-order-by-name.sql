-- 按名称排序
select CompanyName, City from suppliers order by City, CompanyName
