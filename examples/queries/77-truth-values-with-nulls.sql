select e.LastName, e.Title from employees e where e.ReportsTo or e.Title like '%Sales%'
