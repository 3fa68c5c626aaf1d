-- Number of products in each category
select CategoryID, count(*) as Products from products group by CategoryID
