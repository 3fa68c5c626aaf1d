-- Suppliers in a list of cities
select CompanyName, City from suppliers where City in ('北京', '上海', '广州')
