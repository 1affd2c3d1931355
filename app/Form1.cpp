#include "app/Form1.h"

#include "app/AppInfo.h"
#include "app/UiServices.h"

Form1::Form1(UiServices& ui, QWidget* parent) : QMainWindow(parent), m_ui(ui)
{
    setWindowTitle(AppInfo::productTitle());
}
