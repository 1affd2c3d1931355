-- SQL Server, code page 1252
CREATE TABLE [cust]([id] INT,[name] VARCHAR(20),[since] DATE,[amount] NUMERIC(10,2),[price] MONEY,[ratio] FLOAT,[stamp] DATETIME2(3),[ok] BIT,[notes] VARCHAR(MAX),[pic] VARBINARY(MAX),[raw] VARBINARY(MAX));
INSERT INTO [cust] VALUES('17', 'O''Neil   ', '2021-08-31', '1234.50', '12.5', '0.1', '2021-08-31T14:05:09.000', 1, 'line one
line two', 0x4A6F, NULL)
INSERT INTO [cust] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO [cust] VALUES('-2147483648', '   ', '0001-01-01', '-0.01', '-0.0001', '1e+300', '1999-12-31T23:59:59.120', 0, NULL, 0x00FF, NULL)
-- SQL Server, code page 936
CREATE TABLE [cust]([id] INT,[name] VARCHAR(40),[since] DATE,[amount] NUMERIC(10,2),[price] MONEY,[ratio] FLOAT,[stamp] DATETIME2(3),[ok] BIT,[notes] VARCHAR(MAX),[pic] VARBINARY(MAX),[raw] VARBINARY(MAX));
INSERT INTO [cust] VALUES('17', 'O''Neil   ', '2021-08-31', '1234.50', '12.5', '0.1', '2021-08-31T14:05:09.000', 1, 'line one
line two', 0x4A6F, NULL)
INSERT INTO [cust] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO [cust] VALUES('-2147483648', '   ', '0001-01-01', '-0.01', '-0.0001', '1e+300', '1999-12-31T23:59:59.120', 0, NULL, 0x00FF, NULL)
-- SQL Server, UTF-8 collation
CREATE TABLE [cust]([id] INT,[name] VARCHAR(80),[since] DATE,[amount] NUMERIC(10,2),[price] MONEY,[ratio] FLOAT,[stamp] DATETIME2(3),[ok] BIT,[notes] VARCHAR(MAX),[pic] VARBINARY(MAX),[raw] VARBINARY(MAX));
INSERT INTO [cust] VALUES('17', 'O''Neil   ', '2021-08-31', '1234.50', '12.5', '0.1', '2021-08-31T14:05:09.000', 1, 'line one
line two', 0x4A6F, NULL)
INSERT INTO [cust] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO [cust] VALUES('-2147483648', '   ', '0001-01-01', '-0.01', '-0.0001', '1e+300', '1999-12-31T23:59:59.120', 0, NULL, 0x00FF, NULL)
-- SQLite
CREATE TABLE [cust]([id] INT,[name] VARCHAR(20),[since] TEXT,[amount] NUMERIC(10,2),[price] NUMERIC,[ratio] FLOAT,[stamp] TEXT,[ok] INTEGER,[notes] TEXT,[pic] BLOB,[raw] BLOB);
INSERT INTO [cust] VALUES('17', 'O''Neil   ', '2021-08-31', '1234.50', '12.5', '0.1', '2021-08-31T14:05:09.000', 1, 'line one
line two', X'4A6F', NULL)
INSERT INTO [cust] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO [cust] VALUES('-2147483648', '   ', '0001-01-01', '-0.01', '-0.0001', '1e+300', '1999-12-31T23:59:59.120', 0, NULL, X'00FF', NULL)
