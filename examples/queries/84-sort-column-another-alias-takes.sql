select LastName as FirstName, FirstName as LastName from employees order by 1
