select CategoryName from categories;
select * from nosuchtable;
select ProductName from products where (UnitPrice > 20;
