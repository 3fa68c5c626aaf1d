-- A view: order totals
select OrderID, CompanyName, Salesperson, Total from v_order_totals where Total > 5000
