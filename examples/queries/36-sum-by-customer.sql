-- Freight summed per customer, largest first
select CustomerID, sum(Freight) as TotalFreight from orders group by CustomerID order by TotalFreight desc
