select LastName as FirstName, FirstName from employees order by FirstName
