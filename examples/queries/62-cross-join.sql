select c.CategoryName, s.CompanyName from categories c cross join suppliers s where s.Country = 'Italy'
