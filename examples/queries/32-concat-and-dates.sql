-- Text joined with || and parts of a date
select LastName || FirstName as FullName, strftime('%Y', HireDate) as HireYear from employees
