-- SQL Server, code page 1252
CREATE TABLE [t]([name] VARCHAR(8000),[city] NVARCHAR(4000),[notes] NVARCHAR(MAX),[amount] NUMERIC(8,3),[pic] VARBINARY(MAX));
INSERT INTO [t] VALUES('Zoë', N'Москва', N'plain', '12345', 0x4A6F)
INSERT INTO [t] VALUES('O''Brien', NULL, N'C:\data\'+N'
next\'+N'
last \ \', '1.505', 0x)
INSERT INTO [t] VALUES(CHAR(0), N'Sofia', N'a'+NCHAR(0)+N'b'''''+NCHAR(0), '-0.5', NULL)
INSERT INTO [t] VALUES('x', N'Київ', N'中文\'+N'
', NULL, NULL)
-- SQL Server, code page 1251
CREATE TABLE [t]([name] NVARCHAR(4000),[city] VARCHAR(8000),[notes] NVARCHAR(MAX),[amount] NUMERIC(8,3),[pic] VARBINARY(MAX));
INSERT INTO [t] VALUES(N'Zoë', 'Москва', N'plain', '12345', 0x4A6F)
INSERT INTO [t] VALUES(N'O''Brien', NULL, N'C:\data\'+N'
next\'+N'
last \ \', '1.505', 0x)
INSERT INTO [t] VALUES(NCHAR(0), 'Sofia', N'a'+NCHAR(0)+N'b'''''+NCHAR(0), '-0.5', NULL)
INSERT INTO [t] VALUES(N'x', 'Київ', N'中文\'+N'
', NULL, NULL)
-- SQL Server, UTF-8 collation
CREATE TABLE [t]([name] VARCHAR(8000),[city] VARCHAR(8000),[notes] TEXT,[amount] NUMERIC(8,3),[pic] VARBINARY(MAX));
INSERT INTO [t] VALUES('Zoë', 'Москва', 'plain', '12345', 0x4A6F)
INSERT INTO [t] VALUES('O''Brien', NULL, 'C:\data\'+'
next\'+'
last \ \', '1.505', 0x)
INSERT INTO [t] VALUES(CHAR(0), 'Sofia', 'a'+CHAR(0)+'b'''''+CHAR(0), '-0.5', NULL)
INSERT INTO [t] VALUES('x', 'Київ', '中文\'+'
', NULL, NULL)
-- SQLite
CREATE TABLE [t]([name] VARCHAR(8000),[city] VARCHAR(8000),[notes] TEXT,[amount] NUMERIC(8,3),[pic] BLOB);
INSERT INTO [t] VALUES('Zoë', 'Москва', 'plain', '12345', X'4A6F')
INSERT INTO [t] VALUES('O''Brien', NULL, 'C:\data\
next\
last \ \', '1.505', X'')
INSERT INTO [t] VALUES(char(0), 'Sofia', 'a'||char(0)||'b'''''||char(0), '-0.5', NULL)
INSERT INTO [t] VALUES('x', 'Київ', '中文\
', NULL, NULL)
