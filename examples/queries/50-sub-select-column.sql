-- A sub-select in the select list: products per category
select c.CategoryName, (select count(*) from products p where p.CategoryID = c.CategoryID) as Products from categories c
