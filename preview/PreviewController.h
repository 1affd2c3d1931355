#pragma once

#include "convert/StatementPreview.h"
#include "preview/StatementListModel.h"

class DatatypeRowsModel;
class QWidget;
class SettingsStore;
class UiServices;
struct SharedState;

// The SQL Preview as the conversion run uses it. It keeps the statement list while no window is
// shown, so the run can fill it at any time; showModal() opens the SQL Preview window over it, owned
// by `owner`, and leaving the window discards the list. ErrorLine, the line of the last stopping
// error, lives here rather than in a window: it keeps its value for the program's lifetime.
class PreviewController final : public StatementPreview
{
public:
    PreviewController(UiServices& ui, SettingsStore& settings, SharedState& shared, DatatypeRowsModel& datatypes,
                      QWidget* owner)
        : m_ui(ui), m_settings(settings), m_shared(shared), m_datatypes(datatypes), m_owner(owner)
    {}

    void clearStatements() override;
    void appendStatement(const QString& statement) override;
    void showModal() override;

    StatementListModel& statements() { return m_statements; }
    int ErrorLine = 0;

private:
    UiServices& m_ui;
    SettingsStore& m_settings;
    SharedState& m_shared;
    DatatypeRowsModel& m_datatypes;
    QWidget* m_owner;
    StatementListModel m_statements;
};
