-- Sorted by column position, descending
select ProductName, UnitsInStock from products order by 2 desc
