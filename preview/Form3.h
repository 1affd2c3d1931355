#pragma once

#include "ui/PointerRules.h"
#include "ui_Form3.h"

#include <QDialog>

class SettingsStore;
class StatementListModel;
class UiServices;

// The Find and Replace window: in every line of the preview list that contains the "Find what:" text
// (ignoring case unless "Match case") its first occurrence (every one, with "Every occurrence in a
// line") becomes the "Replace with:" text as typed, in one pass. The window opens with what it was
// given last; "Replace" closes it when the pass is done, saying how many lines changed.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    Form3(UiServices& ui, SettingsStore& settings, StatementListModel& statements, QWidget* parent = nullptr);

private:
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();

    UiServices& m_ui;
    SettingsStore& m_settings;
    StatementListModel& m_statements;
    Ui::Form3 m_form;
    PointerRules m_pointer{*this};
};
