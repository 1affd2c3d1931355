#include "preview/PreviewController.h"

#include "preview/Form2.h"

void PreviewController::clearStatements()
{
    m_statements.clear();
}

void PreviewController::appendStatement(const QString& statement)
{
    m_statements.append(statement);
}

void PreviewController::showModal()
{
    {
        Form2 window(m_ui, m_settings, m_shared, m_statements, m_datatypes, ErrorLine, m_owner);
        window.exec();
    }
    m_statements.clear();
}
