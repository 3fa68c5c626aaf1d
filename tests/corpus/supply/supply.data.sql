-- Rows for the supply schema, the same on every run: every value is a
-- function of its row number (no random()). Sizes: 5 regions, 25 nations,
-- 110 suppliers (ten supply nothing), 600 customers (every third without
-- orders; two segments twice as large as the others), 500 parts with 4
-- suppliers each, 4,000 orders of 1 to 7 lines from 1992 to mid 1998.

insert into region values
    (0, 'AFRICA', 'the south and the centre'),
    (1, 'AMERICA', 'north and south'),
    (2, 'ASIA', 'the east'),
    (3, 'EUROPE', 'the west'),
    (4, 'MIDDLE EAST', 'between');

insert into nation (na_id, na_name, na_region, na_note)
select n - 1, (array['ALGERIA', 'ARGENTINA', 'BRAZIL', 'CANADA', 'EGYPT', 'ETHIOPIA', 'FRANCE',
                     'GERMANY', 'INDIA', 'INDONESIA', 'IRAN', 'IRAQ', 'JAPAN', 'JORDAN', 'KENYA',
                     'MOROCCO', 'MOZAMBIQUE', 'PERU', 'CHINA', 'ROMANIA', 'SAUDI ARABIA',
                     'VIETNAM', 'RUSSIA', 'UNITED KINGDOM', 'UNITED STATES'])[n],
       (array[0, 1, 1, 1, 4, 0, 3, 3, 2, 2, 4, 4, 2, 4, 0, 0, 0, 1, 2, 3, 4, 2, 3, 3, 1])[n],
       'nation ' || n
from generate_series(1, 25) as n;

insert into supplier
select s, 'Supplier-' || lpad(s::text, 4, '0'), 'Dock ' || (s * 37) % 90 || ' Road',
       (s * 7) % 25, lpad(((s * 7) % 25 + 10)::text, 2, '0') || '-' || lpad(((s * 7919) % 1000)::text, 3, '0') || '-555-' || lpad(s::text, 4, '0'),
       ((s * 7919) % 11000 - 1000) + ((s * 13) % 100) / 100.0,
       case when s % 17 = 5 then 'slow: Customer letters of Complaints pile up'
            when s % 11 = 3 then 'Customer praise, no Recommends'
            else 'steady deliveries ' || s end
from generate_series(1, 110) as s;

insert into customer
select c, 'Customer-' || lpad(c::text, 5, '0'), 'Lane ' || (c * 31) % 200,
       (c * 11) % 25, lpad(((c * 11) % 25 + 10)::text, 2, '0') || '-' || lpad(((c * 389) % 1000)::text, 3, '0') || '-555-' || lpad(c::text, 4, '0'),
       ((c * 6007) % 11000 - 1000) + ((c * 29) % 100) / 100.0,
       (array['RETAIL', 'WHOLESALE', 'GOVERNMENT', 'EDUCATION', 'HEALTH'])[1 + ((c * 3) % 7) % 5],
       'account ' || c
from generate_series(1, 600) as c;

insert into part
select p,
       (array['almond', 'azure', 'blush', 'coral', 'ivory', 'khaki', 'linen', 'olive', 'plum',
              'sienna'])[1 + p % 10] || ' ' ||
       (array['bolt', 'gear', 'valve', 'spring', 'panel', 'hinge', 'clamp'])[1 + (p / 10) % 7] || ' ' || p,
       'Maker-' || (1 + p % 5),
       'BR-' || (1 + p % 5) || (1 + (p / 5) % 5),
       (array['STANDARD', 'SMALL', 'MEDIUM', 'LARGE', 'ECONOMY', 'PROMO'])[1 + p % 6] || ' ' ||
       (array['ANODIZED', 'BURNISHED', 'PLATED', 'POLISHED', 'BRUSHED'])[1 + (p / 6) % 5] || ' ' ||
       (array['TIN', 'NICKEL', 'BRASS', 'STEEL', 'COPPER'])[1 + (p / 30) % 5],
       1 + (p * 13) % 50,
       (array['SM', 'MED', 'LG', 'WRAP', 'JUMBO'])[1 + p % 5] || ' ' ||
       (array['BOX', 'CASE', 'PACK', 'BAG', 'DRUM'])[1 + (p / 5) % 5],
       900 + (p % 200) + (p % 1000) / 10.0 + (p % 100) / 100.0,
       'part ' || p
from generate_series(1, 500) as p;

insert into partsupp
select p, 1 + (p * 7 + j * 29) % 100, 1 + (p * 97 + j * 1009) % 9999,
       1 + ((p * 37 + j * 53) % 100000) / 100.0, 'supplies part ' || p
from generate_series(1, 500) as p, generate_series(0, 3) as j;

insert into orders (or_id, or_customer, or_status, or_total, or_date, or_priority, or_clerk,
                    or_ship_priority, or_note)
select o, 3 * ((o * 37) % 200) + 1 + (o / 200) % 2, 'O', 0, date '1992-01-01' + (o * 53) % 2405,
       (array['1-URGENT', '2-HIGH', '3-MEDIUM', '4-NOT SPECIFIED', '5-LOW'])[1 + (o * 7) % 5],
       'Clerk-' || lpad((1 + (o * 13) % 100)::text, 3, '0'), 0,
       case when o % 9 = 4 then 'handle the special packing requests first'
            else 'order ' || o end
from generate_series(1, 4000) as o;

insert into lineitem
select o, l, p, 1 + (p * 7 + (l % 4) * 29) % 100, q, q * pa_price, ((o + l) % 11) / 100.0,
       ((o + 2 * l) % 9) / 100.0,
       case when ship + 1 + (o + l) % 30 <= date '1995-06-17'
            then (array['R', 'A'])[1 + (o + l) % 2] else 'N' end,
       case when ship > date '1995-06-17' then 'O' else 'F' end,
       ship, or_date + 30 + (o * l) % 61, ship + 1 + (o + l) % 30,
       (array['DELIVER IN PERSON', 'COLLECT COD', 'NONE', 'TAKE BACK RETURN'])[1 + (o + l) % 4],
       (array['AIR', 'RAIL', 'SHIP', 'TRUCK', 'MAIL', 'FOB', 'REG AIR'])[1 + (o * 3 + l) % 7],
       'line ' || l || ' of ' || o
from orders,
     generate_series(1, 7) as l,
     lateral (select 1 + (or_id * 7 + l * 131) % 500 as p, or_id as o,
                     1 + (or_id * 3 + l * 7) % 50 as q,
                     or_date + 1 + (or_id + l * 17) % 121 as ship) as k,
     part
where l <= 1 + or_id % 7 and pa_id = p;

-- The order's status and total follow from its lines.
update orders set
    or_status = case when every.open then 'O' when every.done then 'F' else 'P' end,
    or_total = every.total
from (select li_order,
             bool_and(li_status = 'O') as open,
             bool_and(li_status = 'F') as done,
             sum(li_price * (1 + li_tax) * (1 - li_discount)) as total
      from lineitem group by li_order) as every
where every.li_order = or_id;
