#include "db/MSSQL.h"

// Implemented with the ODBC layer.
namespace MSSQL {

QString connectionString(const MSSQLLogin&)
{
    return {};
}
bool IsValidMSSQLConnection(const MSSQLLogin&)
{
    return false;
}
void AddTablesToMSSQLListbox(UiServices&, const MSSQLLogin&, QStringList& list)
{
    list.clear();
}
bool IsTableInListbox(const QStringList&, const QString&)
{
    return false;
}
void RemoveTableFromListbox(QStringList&, const QString&) {}

} // namespace MSSQL
