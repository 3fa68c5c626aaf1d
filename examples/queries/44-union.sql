-- All cities of suppliers and customers, each one once
select City from suppliers union select City from customers
