#pragma once

#include "convert/RunReport.h"
#include "ui/PointerRules.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class UiServices;

// The Run Report window, shown by the main window at the end of a run instead of a bare message: its
// first line is the run's word ("Done.", "Stopped." or "The connection to the server was lost."), then
// one row per table with its figures and a row of totals, then what the figures do not show (a count
// that disagrees, the value check's findings). "Copy" puts the report's text on the clipboard,
// "Save..." writes it to a text file, "Close" closes the window.
class Form7 : public QDialog
{
    Q_OBJECT

public:
    Form7(UiServices& ui, RunReport report, QWidget* parent = nullptr);

private:
    void Form_Load();
    void fillTable();
    void PushButton1_Click();
    void PushButton2_Click();

    UiServices& m_ui;
    RunReport m_report;
    QLabel* Label1;
    QTableWidget* ListView1;
    QPlainTextEdit* Text1;
    QPushButton* PushButton1;
    QPushButton* PushButton2;
    QPushButton* PushButton3;
    PointerRules m_pointer{*this};
};
