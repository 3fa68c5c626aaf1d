-- Chinese text in conditions
select CompanyName, ContactName from customers where Region = '华东' and ContactName like '王%'
