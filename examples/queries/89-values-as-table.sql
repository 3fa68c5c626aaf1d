-- VALUES 列表作为表：每个类别的折扣
select c.CategoryName, d.column2 from categories c, (values (1, 0.1), (2, 0.05)) d where d.column1 = c.CategoryID
