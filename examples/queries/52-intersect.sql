-- Cities that have both a supplier and a customer
select City from suppliers intersect select City from customers
