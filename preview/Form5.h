#pragma once

#include "ui/PointerRules.h"
#include "ui_Form5.h"

#include <QDialog>

class DatatypeRowsModel;
class UiServices;

// The Datatypes Conversion window: a read-only report of the SQL Server type chosen for each source
// column. It shows the rows the run wrote into the model; closing the window discards them, so the
// next showing starts with the headings only until the run adds rows again.
class Form5 : public QDialog
{
    Q_OBJECT

public:
    Form5(UiServices& ui, DatatypeRowsModel& rows, QWidget* parent = nullptr);

    void done(int result) override;

private:
    void Form_Load();
    void PushButton5_Click();

    UiServices& m_ui;
    DatatypeRowsModel& m_rows;
    Ui::Form5 m_form;
    PointerRules m_pointer{*this};
};
