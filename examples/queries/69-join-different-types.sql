select p.ProductName, c.CategoryName from products p join categories c on c.CategoryName = p.CategoryID or c.CategoryID = p.CategoryID
