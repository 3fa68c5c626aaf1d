-- Quillary sample database: a small trading company (SQLite).
-- Categories, suppliers, products, employees, customers, orders and order
-- items with foreign keys, about 4,500 rows, and two views.
-- Built by `quillary` into a SQLite file on first use; also usable with the
-- sqlite3 shell:  sqlite3 sample.db < sample.sql

PRAGMA foreign_keys = ON;
BEGIN TRANSACTION;

CREATE TABLE categories (
    CategoryID    INTEGER PRIMARY KEY,
    CategoryName  VARCHAR(30) NOT NULL,
    Description   TEXT
);

CREATE TABLE suppliers (
    SupplierID    INTEGER PRIMARY KEY,
    CompanyName   VARCHAR(60) NOT NULL,
    ContactName   VARCHAR(30),
    City          VARCHAR(30),
    Country       VARCHAR(30),
    Phone         VARCHAR(24)
);

CREATE TABLE products (
    ProductID       INTEGER PRIMARY KEY,
    ProductName     VARCHAR(60) NOT NULL,
    SupplierID      INTEGER REFERENCES suppliers (SupplierID),
    CategoryID      INTEGER REFERENCES categories (CategoryID),
    QuantityPerUnit VARCHAR(30),
    UnitPrice       DECIMAL(10,2) DEFAULT 0,
    UnitsInStock    SMALLINT DEFAULT 0,
    Discontinued    BOOLEAN NOT NULL DEFAULT 0
);

CREATE TABLE employees (
    EmployeeID  INTEGER PRIMARY KEY,
    LastName    VARCHAR(20) NOT NULL,
    FirstName   VARCHAR(20) NOT NULL,
    Title       VARCHAR(30),
    BirthDate   DATE,
    HireDate    DATE,
    City        VARCHAR(30),
    ReportsTo   INTEGER REFERENCES employees (EmployeeID),
    Notes       TEXT
);

CREATE TABLE customers (
    CustomerID   VARCHAR(5) PRIMARY KEY,
    CompanyName  VARCHAR(60) NOT NULL,
    ContactName  VARCHAR(30),
    City         VARCHAR(30),
    Region       VARCHAR(20),
    Country      VARCHAR(30) DEFAULT '中国',
    Phone        VARCHAR(24),
    CreditLimit  REAL
);

CREATE TABLE orders (
    OrderID       INTEGER PRIMARY KEY,
    CustomerID    VARCHAR(5) NOT NULL REFERENCES customers (CustomerID),
    EmployeeID    INTEGER NOT NULL REFERENCES employees (EmployeeID),
    OrderDate     DATETIME NOT NULL,
    RequiredDate  DATE,
    ShippedDate   DATE,
    Freight       DECIMAL(10,2) DEFAULT 0,
    ShipCity      VARCHAR(30)
);

CREATE TABLE order_items (
    OrderID    INTEGER NOT NULL REFERENCES orders (OrderID),
    ProductID  INTEGER NOT NULL REFERENCES products (ProductID),
    UnitPrice  DECIMAL(10,2) NOT NULL,
    Quantity   SMALLINT NOT NULL,
    Discount   REAL NOT NULL DEFAULT 0,
    PRIMARY KEY (OrderID, ProductID)
);

INSERT INTO categories VALUES
 (1, '饮料', '软饮料、咖啡、茶、啤酒和麦芽酒'),
 (2, '调味品', '酱油、醋、香料、调味汁和腌料'),
 (3, '点心', '甜点、糖果和甜面包'),
 (4, '日用品', '奶酪和乳制品'),
 (5, '谷类/麦片', '面包、饼干、面条和谷物'),
 (6, '肉/家禽', '加工肉类'),
 (7, '特制品', '干果和豆制品'),
 (8, '海鲜', '海藻和鱼类');

INSERT INTO suppliers VALUES
 (1, '佳佳乐食品有限公司', '陈小姐', '北京', '中国', '(010) 65552222'),
 (2, '康富食品', '黄小姐', '上海', '中国', '(021) 65554822'),
 (3, '妙生酿造', '胡先生', '广州', '中国', '(020) 65555735'),
 (4, '为全食品', '王先生', '深圳', '中国', '(0755) 65555011'),
 (5, '日正乳业', '李先生', '天津', '中国', '(022) 65987654'),
 (6, '德昌粮油', '刘先生', '成都', '中国', '(028) 64318985'),
 (7, '正一茶业', '方先生', '杭州', '中国', '(0571) 64443392'),
 (8, '康堡肉业', '刘小姐', '南京', '中国', '(025) 65558732'),
 (9, '菊花食品', '谢小姐', '厦门', '中国', '(0592) 69875648'),
 (10, '金美海产', '王先生', '青岛', '中国', '(0532) 65554640'),
 (11, '小坊点心铺', '徐先生', '苏州', '中国', '(0512) 64582334'),
 (12, '义美糖果', '李先生', '长沙', '中国', '(0731) 67904432'),
 (13, 'Nord-Ost-Fisch', 'Sven Petersen', 'Cuxhaven', 'Germany', '(04721) 8713'),
 (14, 'Formaggi Fortini', 'Elio Rossi', 'Ravenna', 'Italy', '(0544) 60323'),
 (15, 'Norske Meierier', 'Beate Vileid', 'Sandvika', 'Norway', '(0)2-953010'),
 (16, '宏仁酒业', '林小姐', '重庆', '中国', '(023) 65551234'),
 (17, '顺成食品', '张先生', '武汉', '中国', '(027) 68212365'),
 (18, '福满多', '孙先生', '西安', '中国', '(029) 65553344'),
 (19, '利利海产', '周小姐', '大连', '中国', '(0411) 65559876'),
 (20, '涵合豆业', '吴先生', '昆明', '中国', '(0871) 65554455');

INSERT INTO products VALUES
 (1, '苹果汁', 1, 1, '每箱24瓶', 18.00, 39, 0),
 (2, '牛奶', 1, 1, '每箱24瓶', 19.00, 17, 0),
 (3, '蕃茄酱', 1, 2, '每箱12瓶', 10.00, 13, 0),
 (4, '盐', 2, 2, '每箱12瓶', 22.00, 53, 0),
 (5, '麻油', 2, 2, '每箱12瓶', 21.35, 0, 1),
 (6, '酱油', 3, 2, '每箱12瓶', 25.00, 120, 0),
 (7, '海鲜粉', 3, 7, '每箱30盒', 30.00, 15, 0),
 (8, '胡椒粉', 3, 2, '每箱30盒', 40.00, 6, 0),
 (9, '鸡肉', 4, 6, '每袋500克', 97.00, 29, 1),
 (10, '蟹', 4, 8, '每袋500克', 31.00, 31, 0),
 (11, '大众奶酪', 5, 4, '每袋6包', 21.00, 22, 0),
 (12, '德国奶酪', 5, 4, '每箱12瓶', 38.00, 86, 0),
 (13, '龙虾', 10, 8, '每袋500克', 6.00, 24, 0),
 (14, '沙茶', 6, 7, '每箱12瓶', 23.25, 35, 0),
 (15, '味精', 6, 2, '每箱30盒', 15.50, 39, 0),
 (16, '饼干', 11, 3, '每箱30盒', 17.45, 29, 0),
 (17, '猪肉', 8, 6, '每袋500克', 39.00, 0, 1),
 (18, '墨鱼', 19, 8, '每袋500克', 62.50, 42, 0),
 (19, '糖果', 12, 3, '每箱30盒', 9.20, 25, 0),
 (20, '桂花糕', 11, 3, '每箱30盒', 81.00, 40, 0),
 (21, '花生', 12, 3, '每箱30包', 10.00, 3, 0),
 (22, '糯米', 6, 5, '每袋3公斤', 21.00, 104, 0),
 (23, '燕麦', 6, 5, '每袋3公斤', 9.00, 61, 0),
 (24, '汽水', 16, 1, '每箱12瓶', 4.50, 20, 1),
 (25, '巧克力', 12, 3, '每箱30盒', 14.00, 76, 0),
 (26, '棉花糖', 12, 3, '每箱30盒', 31.23, 15, 0),
 (27, '牛肉干', 8, 6, '每箱30包', 43.90, 49, 0),
 (28, '烤肉酱', 4, 7, '每箱12瓶', 45.60, 26, 1),
 (29, '鸭肉', 8, 6, '每袋3公斤', 123.79, 0, 1),
 (30, '黄鱼', 10, 8, '每袋3公斤', 25.89, 10, 0),
 (31, '温馨奶酪', 5, 4, '每箱12瓶', 12.50, 0, 0),
 (32, '白奶酪', 5, 4, '每箱12瓶', 32.00, 9, 0),
 (33, '浪花奶酪', 15, 4, '每箱12瓶', 2.50, 112, 0),
 (34, '啤酒', 16, 1, '每箱24瓶', 14.00, 111, 0),
 (35, '蜜桃汁', 16, 1, '每箱24瓶', 18.00, 20, 0),
 (36, '鱿鱼', 13, 8, '每袋3公斤', 19.00, 112, 0),
 (37, '干贝', 19, 8, '每袋3公斤', 26.00, 11, 0),
 (38, '绿茶', 7, 1, '每箱24瓶', 263.50, 17, 0),
 (39, '运动饮料', 16, 1, '每箱24瓶', 18.00, 69, 0),
 (40, '虾米', 10, 8, '每袋3公斤', 18.40, 123, 0),
 (41, '虾子', 19, 8, '每袋3公斤', 9.65, 85, 0),
 (42, '糙米', 6, 5, '每袋3公斤', 14.00, 26, 1),
 (43, '柳橙汁', 1, 1, '每箱24瓶', 46.00, 17, 0),
 (44, '蚝油', 3, 2, '每箱24瓶', 19.45, 27, 0),
 (45, '雪鱼', 13, 8, '每袋3公斤', 9.50, 5, 0),
 (46, '蚵', 19, 8, '每袋3公斤', 12.00, 95, 0),
 (47, '蛋糕', 11, 3, '每箱24个', 9.50, 36, 0),
 (48, '玉米片', 17, 5, '每箱24包', 12.75, 15, 0),
 (49, '薯条', 17, 3, '每箱24包', 20.00, 10, 0),
 (50, '玉米饼', 17, 3, '每箱24包', 16.25, 65, 0),
 (51, '猪肉干', 8, 7, '每箱24包', 53.00, 20, 0),
 (52, '三合一麦片', 6, 5, '每箱24包', 7.00, 38, 0),
 (53, '盐水鸭', 8, 6, '每袋3公斤', 32.80, 0, 1),
 (54, '鸡精', 18, 2, '每箱24包', 7.45, 21, 0),
 (55, '鸭肉干', 8, 6, '每箱24包', 24.00, 115, 0),
 (56, '白米', 6, 5, '每袋3公斤', 38.00, 21, 0),
 (57, '小米', 6, 5, '每袋3公斤', 19.50, 36, 0),
 (58, '海参', 19, 8, '每袋3公斤', 13.25, 62, 0),
 (59, 'Raclette Courdavault', 14, 4, '5 kg pkg.', 55.00, 79, 0),
 (60, '卡门贝干酪', 14, 4, '15 - 300 g rounds', 34.00, 19, 0),
 (61, '海苔酱', 9, 2, '每箱24瓶', 28.50, 113, 0),
 (62, '山渣片', 9, 3, '每箱24包', 49.30, 17, 0),
 (63, '甜辣酱', 9, 2, '每箱24瓶', 43.90, 24, 0),
 (64, '黄豆', 20, 7, '每袋3公斤', 33.25, 22, 0),
 (65, '海鲜酱', 3, 2, '每箱24瓶', 21.05, 76, 0),
 (66, '辣椒粉', 4, 2, '每箱24瓶', 17.00, 4, 0),
 (67, '矿泉水', 16, 1, '每箱24瓶', 14.00, 52, 0),
 (68, '绿豆糕', 11, 3, '每箱24包', 12.50, 6, 0),
 (69, '黑奶酪', 5, 4, '每盒24个', 36.00, 26, 0),
 (70, '苏打水', 16, 1, '每箱24瓶', 15.00, 15, 0),
 (71, '意大利奶酪', 14, 4, '每箱2个', 21.50, 26, 0),
 (72, '酸奶酪', 5, 4, '每箱2个', 34.80, 14, 0),
 (73, '海哲皮', 10, 8, '每袋3公斤', 15.00, 101, 0),
 (74, '鸡蛋', 20, 7, '每箱24个', 10.00, 4, 0),
 (75, '浓缩咖啡', 7, 1, '每箱24瓶', 7.75, 125, 0),
 (76, '柠檬汁', 7, 1, '每箱24瓶', 18.00, 57, 0),
 (77, '辣椒酱', 4, 2, '每箱24瓶', 13.00, 32, 0);

INSERT INTO employees VALUES
 (1, '张', '颖', '总经理', '1968-12-08', '2012-05-01', '北京', NULL, '北京大学工商管理硕士，负责公司全面运营。'),
 (2, '王', '伟', '销售副总裁', '1972-02-19', '2012-08-14', '北京', 1, '负责华北及国际市场。'),
 (3, '李', '芳', '销售代表', '1983-08-30', '2014-04-01', '上海', 2, '精通英语和日语。'),
 (4, '郑', '建杰', '销售代表', '1977-09-19', '2015-05-03', '上海', 2, NULL),
 (5, '赵', '军', '销售经理', '1975-03-04', '2015-10-17', '广州', 2, '负责华南地区的销售团队。'),
 (6, '孙', '林', '销售代表', '1983-07-02', '2016-10-17', '广州', 5, NULL),
 (7, '金', '士鹏', '销售代表', '1980-05-29', '2017-01-02', '深圳', 5, '曾在外贸公司任职五年。'),
 (8, '刘', '英玫', '内部销售协调员', '1978-01-09', '2017-03-05', '北京', 2, 'Fluent in French; handles the European accounts.'),
 (9, '张', '雪眉', '销售代表', '1986-01-27', '2018-11-15', '成都', 5, NULL),
 (10, '周', '明', '销售代表', '1990-06-12', '2021-07-01', '杭州', 2, '新员工，负责华东地区。');

-- 120 customers: every city with every kind of business.
INSERT INTO customers (CustomerID, CompanyName, ContactName, City, Region, Country, Phone, CreditLimit)
WITH RECURSIVE
  city(n, name, region, code) AS (VALUES
    (0, '北京', '华北', '010'), (1, '上海', '华东', '021'), (2, '广州', '华南', '020'),
    (3, '深圳', '华南', '0755'), (4, '天津', '华北', '022'), (5, '重庆', '西南', '023'),
    (6, '成都', '西南', '028'), (7, '杭州', '华东', '0571'), (8, '南京', '华东', '025'),
    (9, '武汉', '华中', '027'), (10, '西安', '西北', '029'), (11, '青岛', '华东', '0532'),
    (12, '大连', '东北', '0411'), (13, '厦门', '华东', '0592'), (14, '苏州', '华东', '0512'),
    (15, '长沙', '华中', '0731'), (16, '沈阳', '东北', '024'), (17, '哈尔滨', '东北', '0451'),
    (18, '昆明', '西南', '0871'), (19, '郑州', '华中', '0371')),
  kind(k, suffix) AS (VALUES
    (0, '贸易有限公司'), (1, '商行'), (2, '食品公司'), (3, '百货'), (4, '超市'), (5, '大酒店')),
  surname(s, name) AS (VALUES
    (0, '王'), (1, '李'), (2, '张'), (3, '刘'), (4, '陈'), (5, '杨'), (6, '黄'), (7, '赵')),
  title(t, name) AS (VALUES (0, '先生'), (1, '小姐'), (2, '经理'))
SELECT printf('C%04d', city.n * 6 + kind.k + 1),
       city.name || kind.suffix,
       (SELECT name FROM surname WHERE s = (city.n * 6 + kind.k) % 8) ||
       (SELECT name FROM title WHERE t = (city.n + kind.k) % 3),
       city.name, city.region, '中国',
       '(' || city.code || ') ' || printf('%08d', 60000000 + ((city.n * 6 + kind.k) * 104729) % 9999999),
       CASE WHEN (city.n + kind.k) % 4 = 0 THEN NULL ELSE 5000 + ((city.n * 6 + kind.k) * 7919) % 45000 END
FROM city CROSS JOIN kind
ORDER BY city.n, kind.k;

-- 1,200 orders over two years.
INSERT INTO orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, Freight, ShipCity)
WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < 1200)
SELECT 10000 + n,
       printf('C%04d', (n * 37) % 120 + 1),
       (n * 7) % 10 + 1,
       datetime('2023-01-01', '+' || (n * 730 / 1200) || ' days', '+' || (8 + n % 10) || ' hours',
                '+' || ((n * 13) % 60) || ' minutes'),
       date('2023-01-01', '+' || (n * 730 / 1200 + 28) || ' days'),
       CASE WHEN n % 23 = 0 THEN NULL
            ELSE date('2023-01-01', '+' || (n * 730 / 1200 + 1 + n % 9) || ' days') END,
       round(((n * 7919) % 20000) / 100.0, 2),
       (SELECT City FROM customers WHERE CustomerID = printf('C%04d', (n * 37) % 120 + 1))
FROM seq;

-- One to four items per order.
INSERT INTO order_items (OrderID, ProductID, UnitPrice, Quantity, Discount)
WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 4)
SELECT o.OrderID,
       p.ProductID,
       p.UnitPrice,
       1 + (o.OrderID * k.i * 13) % 40,
       CASE (o.OrderID + k.i) % 5 WHEN 0 THEN 0.05 WHEN 1 THEN 0.1 ELSE 0 END
FROM orders o
JOIN k ON k.i <= 1 + (o.OrderID * 31) % 4
JOIN products p ON p.ProductID = (o.OrderID * 17 + k.i * 11) % 77 + 1;

CREATE VIEW v_order_totals AS
SELECT o.OrderID, o.OrderDate, c.CompanyName, e.LastName || e.FirstName AS Salesperson,
       round(sum(i.UnitPrice * i.Quantity * (1 - i.Discount)), 2) AS Total
FROM orders o
JOIN customers c ON c.CustomerID = o.CustomerID
JOIN employees e ON e.EmployeeID = o.EmployeeID
JOIN order_items i ON i.OrderID = o.OrderID
GROUP BY o.OrderID, o.OrderDate, c.CompanyName, e.LastName, e.FirstName;

CREATE VIEW 产品销售汇总 AS
SELECT p.ProductName AS 产品名称, c.CategoryName AS 类别,
       sum(i.Quantity) AS 销售数量,
       round(sum(i.UnitPrice * i.Quantity * (1 - i.Discount)), 2) AS 销售金额
FROM products p
JOIN categories c ON c.CategoryID = p.CategoryID
JOIN order_items i ON i.ProductID = p.ProductID
GROUP BY p.ProductName, c.CategoryName;

COMMIT;
