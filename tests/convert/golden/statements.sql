SELECT * FROM `cust`
DROP TABLE [cust]
CREATE TABLE [cust]([id] INT,[name] VARCHAR(8000),[since] TEXT,[amount] NUMERIC(10,2),[price] TEXT,[ratio] FLOAT,[stamp] TEXT,[ok] TEXT,[notes] TEXT,[pic] VARBINARY(MAX),[raw] VARBINARY(MAX));
INSERT INTO [cust] VALUES('17', 'O''Neil   ', '2021-08-31', '1234.50', '12.5', '0.1', '2021-08-31 14:05:09', 'True', 'line one
line two', 0x4A6F, NULL)
INSERT INTO [cust] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO [cust] VALUES('-2147483648', '   ', '0001-01-01', '-0.01', '-0.0001', '1e+300', '1999-12-31 23:59:59.120', 'False', NULL, 0x00FF, NULL)
