#pragma once

#include "ui/PointerRules.h"
#include "ui_Form3.h"

#include <QDialog>

class StatementListModel;
class UiServices;

// The Find and Replace window: in every line of the preview list that contains the "Find what:" text
// (ignoring case) its first occurrence becomes the "Replace with:" text as typed, in one pass.
// Both boxes start empty at every opening; "Replace" closes the window when the pass is done.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    Form3(UiServices& ui, StatementListModel& statements, QWidget* parent = nullptr);

private:
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();

    UiServices& m_ui;
    StatementListModel& m_statements;
    Ui::Form3 m_form;
    PointerRules m_pointer{*this};
};
