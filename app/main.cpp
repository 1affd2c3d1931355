#include "app/Form1.h"
#include "app/Form1RunWindow.h"
#include "settings/SettingsStore.h"
#include "ui/QtUiServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ferrandine"));
    QtUiServices ui;
    IniSettingsStore settings;
    Form1 form(ui, settings);
    Form1Conversion conversion(form, ui, settings);
    form.show();
    return app.exec();
}
