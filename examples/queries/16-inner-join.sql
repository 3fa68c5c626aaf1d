-- Products with their category (inner join)
select p.ProductName, c.CategoryName from products p inner join categories c on p.CategoryID = c.CategoryID
