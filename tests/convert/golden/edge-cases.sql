SELECT * FROM `Order Details`
DROP TABLE [Order Details]
CREATE TABLE [Order Details]([c] INT);
INSERT INTO [Order Details] VALUES(NULL, 'x', 'y')
INSERT INTO [Order Details] VALUES('x', NULL, 'y')
INSERT INTO [Order Details] VALUES('x', 'y', NULL)
INSERT INTO [Order Details] VALUES(NULL, NULL, NULL)
INSERT INTO [Order Details] VALUES(NULL, '   ', '''')
INSERT INTO [Order Details] VALUES('O''Brien', 'a,b', '1,234')
INSERT INTO [Order Details] VALUES('42')
INSERT INTO [Order Details] VALUES()
