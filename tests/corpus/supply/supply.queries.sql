-- Decision-support statements on the supply schema, written for these tests
-- in the style of such workloads: many-table joins, grouping, CASE,
-- sub-selects of every kind, derived tables, outer joins, date arithmetic.

-- 1. Shipped lines by return flag and status, up to three months before the end
select li_return, li_status,
       sum(li_quantity) as sum_qty,
       sum(li_price) as sum_base_price,
       sum(li_price * (1 - li_discount)) as sum_disc_price,
       sum(li_price * (1 - li_discount) * (1 + li_tax)) as sum_charge,
       avg(li_quantity) as avg_qty,
       avg(li_discount) as avg_disc,
       count(*) as count_lines
from lineitem
where li_ship_date <= date '1998-08-01' - interval '90 days'
group by li_return, li_status
order by li_return, li_status;

-- 2. The cheapest European supplier of each small brass part
select su_balance, su_name, na_name, pa_id, pa_maker, su_phone
from part, supplier, partsupp, nation, region
where pa_id = ps_part
  and su_id = ps_supplier
  and pa_size between 10 and 20
  and pa_type like '%BRASS'
  and su_nation = na_id
  and na_region = rg_id
  and rg_name = 'EUROPE'
  and ps_cost = (select min(ps_cost)
                 from partsupp, supplier, nation, region
                 where pa_id = ps_part and su_id = ps_supplier and su_nation = na_id
                   and na_region = rg_id and rg_name = 'EUROPE')
order by su_balance desc, na_name, su_name, pa_id
limit 20;

-- 3. Open revenue of wholesale orders placed before and shipped after a day
select li_order, sum(li_price * (1 - li_discount)) as open_revenue, or_date, or_ship_priority
from customer, orders, lineitem
where cu_segment = 'WHOLESALE'
  and cu_id = or_customer
  and li_order = or_id
  and or_date < date '1995-03-15'
  and li_ship_date > date '1995-03-15'
group by li_order, or_date, or_ship_priority
order by open_revenue desc, or_date, li_order
limit 10;

-- 4. Orders of a quarter with a line received after its commit date, by priority
select or_priority, count(*) as late_orders
from orders
where or_date >= date '1994-04-01'
  and or_date < date '1994-04-01' + interval '3 months'
  and exists (select * from lineitem where li_order = or_id and li_commit_date < li_receipt_date)
group by or_priority
order by or_priority;

-- 5. Revenue of Asian customers from suppliers of their own nation, one year
select na_name, sum(li_price * (1 - li_discount)) as local_revenue
from customer
     inner join orders on cu_id = or_customer
     inner join lineitem on li_order = or_id
     inner join supplier on li_supplier = su_id and su_nation = cu_nation
     inner join nation on su_nation = na_id
     inner join region on na_region = rg_id
where rg_name = 'ASIA'
  and or_date >= date '1995-01-01'
  and or_date < date '1996-01-01'
group by na_name
order by local_revenue desc;

-- 6. What small discounts on small quantities brought in one year
select sum(li_price * li_discount) as discount_revenue, count(*) as line_count
from lineitem
where li_ship_date >= date '1996-01-01'
  and li_ship_date < date '1996-01-01' + interval '1 year'
  and li_discount between 0.04 and 0.06
  and li_quantity < 25;

-- 7. Trade between two nations by year, both ways
select supp_nation, cust_nation, ship_year, sum(volume) as revenue
from (select n1.na_name as supp_nation, n2.na_name as cust_nation,
             extract(year from li_ship_date) as ship_year,
             li_price * (1 - li_discount) as volume
      from supplier, lineitem, orders, customer, nation n1, nation n2
      where su_id = li_supplier
        and or_id = li_order
        and cu_id = or_customer
        and su_nation = n1.na_id
        and cu_nation = n2.na_id
        and ((n1.na_name = 'FRANCE' and n2.na_name = 'GERMANY')
             or (n1.na_name = 'GERMANY' and n2.na_name = 'FRANCE'))
        and li_ship_date between date '1995-01-01' and date '1996-12-31') as shipping
group by supp_nation, cust_nation, ship_year
order by supp_nation, cust_nation, ship_year;

-- 8. Brazil's share of American revenue in plated steel, by year
select order_year,
       sum(case when supplier_nation = 'BRAZIL' then volume else 0 end) / sum(volume) as brazil_share
from (select extract(year from or_date) as order_year,
             li_price * (1 - li_discount) as volume,
             n2.na_name as supplier_nation
      from part, supplier, lineitem, orders, customer, nation n1, nation n2, region
      where pa_id = li_part
        and su_id = li_supplier
        and li_order = or_id
        and or_customer = cu_id
        and cu_nation = n1.na_id
        and n1.na_region = rg_id
        and rg_name = 'AMERICA'
        and su_nation = n2.na_id
        and or_date between date '1995-01-01' and date '1996-12-31'
        and pa_type like '%PLATED%') as american
group by order_year
order by order_year;

-- 9. Customers who sent the most back in a quarter
select cu_id, cu_name, sum(li_price * (1 - li_discount)) as lost_revenue,
       cu_balance, na_name, cu_address, cu_phone
from customer, orders, lineitem, nation
where cu_id = or_customer
  and li_order = or_id
  and or_date >= date '1993-10-01'
  and or_date < date '1993-10-01' + interval '3 month'
  and li_return = 'R'
  and cu_nation = na_id
group by cu_id, cu_name, cu_balance, cu_phone, na_name, cu_address
order by lost_revenue desc, cu_id
limit 20;

-- 10. Parts whose German stock is worth more than a share of all German stock
select ps_part, sum(ps_cost * ps_available) as stock_value
from partsupp, supplier, nation
where ps_supplier = su_id and su_nation = na_id and na_name = 'GERMANY'
group by ps_part
having sum(ps_cost * ps_available) > (select sum(ps_cost * ps_available) * 0.005
                                      from partsupp, supplier, nation
                                      where ps_supplier = su_id and su_nation = na_id
                                        and na_name = 'GERMANY')
order by stock_value desc;

-- 11. Urgent and other lines by ship mode, received late but shipped in time
select li_ship_mode,
       sum(case when or_priority = '1-URGENT' or or_priority = '2-HIGH' then 1 else 0 end) as high_line_count,
       sum(case when or_priority <> '1-URGENT' and or_priority <> '2-HIGH' then 1 else 0 end) as low_line_count
from orders, lineitem
where or_id = li_order
  and li_ship_mode in ('MAIL', 'SHIP')
  and li_commit_date < li_receipt_date
  and li_ship_date < li_commit_date
  and li_receipt_date >= date '1994-01-01'
  and li_receipt_date < date '1995-01-01'
group by li_ship_mode
order by li_ship_mode;

-- 12. How many customers have how many orders (without special requests)
select order_count, count(*) as customer_count
from (select cu_id, count(or_id) as order_count
      from customer left outer join orders
           on cu_id = or_customer and or_note not like '%special%requests%'
      group by cu_id) as per_customer
group by order_count
order by customer_count desc, order_count desc;

-- 13. Share of promotion parts in one month's revenue
select 100.00 * sum(case when pa_type like 'PROMO%' then li_price * (1 - li_discount) else 0 end)
       / sum(li_price * (1 - li_discount)) as promo_revenue
from lineitem, part
where li_part = pa_id
  and li_ship_date >= date '1995-09-01'
  and li_ship_date < date '1995-09-01' + interval '1 month';

-- 14. The supplier with the largest revenue of a quarter
select su_id, su_name, su_address, su_phone, total_revenue
from supplier,
     (select li_supplier as supplier_no, sum(li_price * (1 - li_discount)) as total_revenue
      from lineitem
      where li_ship_date >= date '1996-01-01' and li_ship_date < date '1996-04-01'
      group by li_supplier) as revenue
where su_id = supplier_no
  and total_revenue = (select max(total_revenue)
                       from (select li_supplier, sum(li_price * (1 - li_discount)) as total_revenue
                             from lineitem
                             where li_ship_date >= date '1996-01-01'
                               and li_ship_date < date '1996-04-01'
                             group by li_supplier) as best)
order by su_id;

-- 15. Suppliers per kind of part, leaving out suppliers with complaints
select pa_brand, pa_type, pa_size, count(distinct ps_supplier) as supplier_cnt
from partsupp, part
where pa_id = ps_part
  and pa_brand <> 'BR-45'
  and pa_type not like 'MEDIUM POLISHED%'
  and pa_size in (49, 14, 23, 45, 19, 3, 36, 9)
  and ps_supplier not in (select su_id from supplier where su_note like '%Customer%Complaints%')
group by pa_brand, pa_type, pa_size
order by supplier_cnt desc, pa_brand, pa_type, pa_size;

-- 16. Average yearly revenue lost if small orders of one brand were refused
select sum(li_price) / 7.0 as avg_yearly
from lineitem, part
where pa_id = li_part
  and pa_brand = 'BR-23'
  and pa_container = 'MED PACK'
  and li_quantity < (select 0.5 * avg(li_quantity) from lineitem where li_part = pa_id);

-- 17. Customers with large orders
select cu_name, cu_id, or_id, or_date, or_total, sum(li_quantity) as total_qty
from customer, orders, lineitem
where or_id in (select li_order from lineitem group by li_order having sum(li_quantity) > 180)
  and cu_id = or_customer
  and or_id = li_order
group by cu_name, cu_id, or_id, or_date, or_total
order by or_total desc, or_date, or_id
limit 100;

-- 18. Revenue of three kinds of small shipments delivered in person by air
select sum(li_price * (1 - li_discount)) as revenue
from lineitem, part
where (pa_id = li_part and pa_brand = 'BR-12'
       and pa_container in ('SM BOX', 'SM CASE', 'SM PACK', 'SM BAG')
       and li_quantity >= 1 and li_quantity <= 11 and pa_size between 1 and 50
       and li_ship_mode in ('AIR', 'REG AIR') and li_ship_instruct = 'DELIVER IN PERSON')
   or (pa_id = li_part and pa_brand = 'BR-23'
       and pa_container in ('MED BAG', 'MED BOX', 'MED PACK', 'MED CASE')
       and li_quantity >= 10 and li_quantity <= 20 and pa_size between 1 and 50
       and li_ship_mode in ('AIR', 'REG AIR') and li_ship_instruct = 'DELIVER IN PERSON')
   or (pa_id = li_part and pa_brand = 'BR-34'
       and pa_container in ('LG CASE', 'LG BOX', 'LG PACK', 'LG BAG')
       and li_quantity >= 20 and li_quantity <= 30 and pa_size between 1 and 50
       and li_ship_mode in ('AIR', 'REG AIR') and li_ship_instruct = 'DELIVER IN PERSON');

-- 19. Canadian suppliers with plenty of stock of olive parts
select su_name, su_address
from supplier, nation
where su_id in (select ps_supplier
                from partsupp
                where ps_part in (select pa_id from part where pa_name like 'olive%')
                  and ps_available > (select 0.5 * sum(li_quantity)
                                      from lineitem
                                      where li_part = ps_part
                                        and li_supplier = ps_supplier
                                        and li_ship_date >= date '1994-01-01'
                                        and li_ship_date < date '1994-01-01' + interval '1 year'))
  and su_nation = na_id
  and na_name = 'CANADA'
order by su_name;

-- 20. Suppliers who alone kept finished multi-supplier orders waiting
select su_name, count(*) as num_wait
from supplier, lineitem l1, orders, nation
where su_id = l1.li_supplier
  and or_id = l1.li_order
  and or_status = 'F'
  and l1.li_receipt_date > l1.li_commit_date
  and exists (select * from lineitem l2
              where l2.li_order = l1.li_order and l2.li_supplier <> l1.li_supplier)
  and not exists (select * from lineitem l3
                  where l3.li_order = l1.li_order and l3.li_supplier <> l1.li_supplier
                    and l3.li_receipt_date > l3.li_commit_date)
  and su_nation = na_id
  and na_name = 'SAUDI ARABIA'
group by su_name
order by num_wait desc, su_name
limit 100;

-- 21. Customers of some country codes with money and no orders
select country_code, count(*) as num_cust, sum(cu_balance) as total_balance
from (select substring(cu_phone from 1 for 2) as country_code, cu_balance
      from customer
      where substring(cu_phone from 1 for 2) in ('13', '31', '23', '29', '30', '18', '17')
        and cu_balance > (select avg(cu_balance) from customer
                          where cu_balance > 0.00
                            and substring(cu_phone from 1 for 2) in ('13', '31', '23', '29', '30', '18', '17'))
        and not exists (select * from orders where or_customer = cu_id)) as prospects
group by country_code
order by country_code;

-- 22. Monthly revenue of 1997 by region, with orders still open counted apart
select rg_name, extract(month from or_date) as order_month,
       sum(li_price * (1 - li_discount)) as month_revenue,
       count(distinct case when or_status = 'O' then or_id end) as open_orders
from region
     join nation on na_region = rg_id
     join customer on cu_nation = na_id
     join orders on or_customer = cu_id
     join lineitem on li_order = or_id
where or_date >= date '1997-01-01' and or_date < date '1998-01-01'
group by rg_name, extract(month from or_date)
having sum(li_price * (1 - li_discount)) > 10000
order by rg_name, order_month;

-- 23. Small parts no government customer ordered in 1998
select pa_id, pa_name, pa_price
from part
where pa_size <= 5
  and pa_id not in (select li_part
                    from lineitem
                         inner join orders on li_order = or_id
                         inner join customer on or_customer = cu_id
                    where cu_segment = 'GOVERNMENT' and or_date >= date '1998-01-01')
order by pa_id;

-- 24. Suppliers and their lines shipped from October 1998, those without any included
select su_id, su_name, count(li_order) as lines_1998
from supplier
     left join lineitem on li_supplier = su_id and li_ship_date >= date '1998-10-01'
group by su_id, su_name
order by lines_1998, su_id;

-- Shapes that real statements use and a designer must read back or name.

-- 25. Segments of the customers of big orders, the big orders named first
with big_orders as (select or_id, or_customer from orders where or_total > 170000)
select cu_segment, count(*) as big_order_count
from customer join big_orders on or_customer = cu_id
group by cu_segment
order by cu_segment;

-- 26. Nations that ordered early in 1992 but not in the last month
select na_name
from nation join customer on cu_nation = na_id join orders on or_customer = cu_id
where or_date < date '1992-03-01'
except
select na_name
from nation join customer on cu_nation = na_id join orders on or_customer = cu_id
where or_date >= date '1998-07-01';

-- 27. Nations of other regions, counted per region
select rg_name, count(*) as foreign_nations
from region cross join nation
where na_region <> rg_id
group by rg_name
order by rg_name;

-- 28. Segments of a middling size
select cu_segment, count(*) as customers
from customer
group by cu_segment
having count(*) between 80 and 100
order by cu_segment;

-- 29. The second ten of the largest orders
select or_id, or_total
from orders
order by or_total desc, or_id
limit 10 offset 10;

-- 30. The smallest parts but one brand
select pa_id, pa_name /* sizes 1 and 2 only */
from part
where pa_size in(1, 2) and pa_brand not in('BR-11')
order by pa_id;

-- 31. All orders' total, when there are enough of them
select sum(or_total) as grand_total
from orders
having count(*) > 100;

-- 32. Suppliers with a large balance in each nation, nations without any included
select na_name, count(su_id) as rich_suppliers
from nation left join supplier on su_nation = na_id and su_balance > 7000
group by na_name
order by na_name;

-- 33. Customers named in any letter case, and parts whose name follows a pattern
select cu_name, cu_segment
from customer
where cu_name ilike '%#00000001%' or cu_id in (select li_order from lineitem where li_ship_mode not ilike 'air%')
order by cu_name;

-- 34. Notes that mention one of two words, large totals, no ship priority
select or_id, or_status
from orders
where or_note similar to '%(pending|special)%'
  and (or_total > 100000) is not false
  and not (or_ship_priority > 0)
order by or_id;

-- 35. How many customers have how many orders, the counts named after the derived table
select order_count, count(*) as customers
from (select cu_id, count(or_id)
      from customer left outer join orders on cu_id = or_customer and or_note not like '%special%requests%'
      group by cu_id) as counted (customer_id, order_count)
group by order_count
order by customers desc, order_count desc;

-- 36. The supplier with the most revenue in a quarter, the revenue named once and used twice
with revenue (supplier_no, total_revenue) as (
    select li_supplier, sum(li_price * (1 - li_discount))
    from lineitem
    where li_ship_date >= date '1996-01-01' and li_ship_date < date '1996-01-01' + interval '3 months'
    group by li_supplier)
select su_id, su_name, su_phone, total_revenue
from supplier, revenue
where su_id = supplier_no
  and total_revenue = (select max(total_revenue) from revenue)
order by su_id;

-- 37. Lines shipped on each day of the first week of 1996 (a series of dates as a table)
select d, count(*) as lines
from generate_series(date '1996-01-01', date '1996-01-07', interval '1 day') as d, lineitem
where li_ship_date = d
group by d
order by d;

-- 38. Order counts of three priorities named in a VALUES list
select p.label, count(*) as orders
from orders, (values ('1-URGENT', 'urgent'), ('2-HIGH', 'high'), ('5-LOW', 'low')) as p (code, label)
where or_priority = p.code
group by p.label
order by p.label;

-- every column of the nations of Asia and their region, the region's key once
select *
from (select na_region as rg_id, na_name, na_id from nation) n
    join region using (rg_id)
where rg_name = 'ASIA'
order by na_id;

-- the day after each of the first orders, the interval's unit written after its number
select or_id, or_date + interval '1' day
from orders
where or_id <= 5
order by or_id;

-- the regions numbered by a function's own row numbers, joined to their names
select r.code, r.n, rg_name
from unnest(array[3, 1, 4]) with ordinality as r(code, n), region
where rg_id = r.code
order by r.n;

-- the nations of each region, the two tables joined in brackets under one name
select rn.rg_name, count(*) as nations
from (region join nation on na_region = rg_id) as rn
where rn.na_name < 'M'
group by rn.rg_name
order by rn.rg_name;

-- the orders not yet finished and all orders: a staging query pasted in as a
-- WITH table declares its own source, which its later table reads
with source as (
    select * from orders
),
unfinished as (
    with source as (
        select * from orders where or_status <> 'F'
    ),
    renamed as (
        select or_id as order_id, or_customer as customer_id, or_date as order_date
        from source
    )
    select * from renamed
)
select count(*) as unfinished_orders, (select count(*) from source) as all_orders
from unfinished;

-- the customers of two nations with their orders of 1996, every join in
-- brackets as Access writes them: the inner join on the nation of the
-- order's customer drops the customers without such an order
select cu.cu_name, o.or_id, na.na_name
from ((customer cu left join orders o on o.or_customer = cu.cu_id and o.or_date >= date '1996-01-01')
      inner join nation na on na.na_id = cu.cu_nation)
     left join region rg on rg.rg_id = na.na_region
where na.na_id in (3, 7)
order by cu.cu_id, o.or_id;

-- the same statement in brackets as a whole: the nations of region 1 with
-- the suppliers they have, if any
(select na.na_name, su.su_name
 from nation na left join supplier su on su.su_nation = na.na_id
 join region rg on rg.rg_id = na.na_region
 where rg.rg_id = 1);

-- a derived table of a union whose first part stands in brackets and whose
-- later part joins: the regions and the nations that have suppliers
select y.id
from ((select rg_id as id from region) union select na.na_id from nation na join supplier su on su.su_nation = na.na_id) y
order by y.id;

-- the parts priced between the average price of the smallest parts and
-- the dearest part of size 10, a sub-select as each bound
select pa_id, pa_price
from part
where pa_price between (select avg(pa_price) from part where pa_size = 1)
                   and (select max(pa_price) from part where pa_size = 10)
  and pa_size > 40
order by pa_id;

-- the suppliers whose balance, read with an operator of symbols (#, xor of
-- integers) and a cast to a type of two words, stands apart; no aliases
select su_id, su_id # 1, su_balance::double precision, su_name::character varying
from supplier
where su_id < 6
order by su_id;

-- an order's date moved by an interval with its unit, and the column
-- names that are clause words
select or_id as limit, or_date + interval '1' month as union, or_date::timestamp at time zone 'UTC'
from orders
where or_id < 4
order by 1;

-- one group of all rows, and a standard row limit with FETCH before OFFSET
select count(*) as lines from lineitem group by () having count(*) > 1;

select or_id from orders order by or_id fetch first 3 rows only offset 5;
