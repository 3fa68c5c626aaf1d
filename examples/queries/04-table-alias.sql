-- A table alias and columns qualified by it
select s.CompanyName, s.City, s.Phone from suppliers s
