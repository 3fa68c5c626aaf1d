select * from categories c, suppliers s where c.CategoryID = s.SupplierID union select * from categories c, suppliers s where c.CategoryID = s.SupplierID + 1
