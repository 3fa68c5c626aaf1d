-- 不在列表中的国家
select CompanyName, Country from suppliers where Country not in ('中国')
