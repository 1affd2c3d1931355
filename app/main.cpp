#include "app/Form1.h"
#include "app/Form1RunWindow.h"
#include "app/QtUiServices.h"
#include "app/SettingsStore.h"
#include "convert/ConversionRun.h"
#include "convert/DatatypeRowsModel.h"
#include "preview/PreviewController.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ferrandine"));
    QtUiServices ui;
    IniSettingsStore settings;
    Form1 form(ui, settings);

    // "Start Converting": the run reads the main window, writes the Datatypes rows and hands its
    // statements to the SQL Preview, which it shows modally over the main window.
    DatatypeRowsModel datatypes;
    PreviewController preview(ui, form.state(), datatypes, &form);
    Form1RunWindow runWindow(form);
    ConversionRun run(runWindow, form.state(), ui, preview, datatypes, form.List1, form.List2);
    form.setConversionRun([&run] { run.start(); });

    form.show();
    return app.exec();
}
