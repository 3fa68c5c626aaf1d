-- A small supply-chain schema for decision-support statements: regions and
-- nations, suppliers, customers, parts and who supplies them, orders and
-- their lines. Column names carry a prefix of their table.

create table region (
    rg_id integer primary key,
    rg_name varchar(25) not null,
    rg_note varchar(152)
);

create table nation (
    na_id integer primary key,
    na_name varchar(25) not null,
    na_region integer not null references region (rg_id),
    na_note varchar(152)
);

create table supplier (
    su_id integer primary key,
    su_name varchar(25) not null,
    su_address varchar(40),
    su_nation integer not null references nation (na_id),
    su_phone char(15),
    su_balance numeric(12, 2),
    su_note varchar(101)
);

create table customer (
    cu_id integer primary key,
    cu_name varchar(25) not null,
    cu_address varchar(40),
    cu_nation integer not null references nation (na_id),
    cu_phone char(15),
    cu_balance numeric(12, 2),
    cu_segment char(10),
    cu_note varchar(117)
);

create table part (
    pa_id integer primary key,
    pa_name varchar(55) not null,
    pa_maker char(25),
    pa_brand char(10),
    pa_type varchar(25),
    pa_size integer,
    pa_container char(10),
    pa_price numeric(12, 2),
    pa_note varchar(23)
);

create table partsupp (
    ps_part integer not null references part (pa_id),
    ps_supplier integer not null references supplier (su_id),
    ps_available integer,
    ps_cost numeric(12, 2),
    ps_note varchar(199),
    primary key (ps_part, ps_supplier)
);

create table orders (
    or_id integer primary key,
    or_customer integer not null references customer (cu_id),
    or_status char(1),
    or_total numeric(12, 2),
    or_date date not null,
    or_priority char(15),
    or_clerk char(15),
    or_ship_priority integer,
    or_note varchar(79)
);

create table lineitem (
    li_order integer not null references orders (or_id),
    li_line integer not null,
    li_part integer not null references part (pa_id),
    li_supplier integer not null references supplier (su_id),
    li_quantity numeric(12, 2),
    li_price numeric(12, 2),
    li_discount numeric(12, 2),
    li_tax numeric(12, 2),
    li_return char(1),
    li_status char(1),
    li_ship_date date,
    li_commit_date date,
    li_receipt_date date,
    li_ship_instruct char(25),
    li_ship_mode char(10),
    li_note varchar(44),
    primary key (li_order, li_line),
    foreign key (li_part, li_supplier) references partsupp (ps_part, ps_supplier)
);
