-- Statements the designer carries: the same rows come back.
select ProductName, UnitPrice
from products
where UnitPrice > 20
order by UnitPrice desc;

select p.ProductName, c.CategoryName
from products p inner join categories c on p.CategoryID = c.CategoryID;
