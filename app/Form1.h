#pragma once

#include <QMainWindow>

class UiServices;

// The main window: the program's start-up window and the owner of its working state.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(UiServices& ui, QWidget* parent = nullptr);

private:
    UiServices& m_ui;
};
