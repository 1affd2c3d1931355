#include "db/Foxpro.h"

// Implemented with the FoxPro reader.
namespace Foxpro {

QString connectionString(const FoxProSource&, Collating)
{
    return {};
}
bool IsValidFoxProConnection(UiServices&, QObject*, const FoxProSource&)
{
    return false;
}
void AddTablesToFoxproListbox(UiServices&, QObject*, const FoxProSource&, QStringList& list)
{
    list.clear();
}

} // namespace Foxpro
