-- Distinct pairs of region and city
select distinct Region, City from customers order by Region, City
