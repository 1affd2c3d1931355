#include "app/Form1.h"
#include "app/QtUiServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtUiServices ui;
    Form1 form(ui);
    form.show();
    return app.exec();
}
