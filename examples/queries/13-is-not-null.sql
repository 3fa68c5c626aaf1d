-- 有信用额度的客户
select CustomerID, CompanyName, CreditLimit from customers where CreditLimit is not null
