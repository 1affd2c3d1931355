#pragma once

#include "base/UiServices.h"

// A desktop without windows, for runs from the command line and for measurements: messages go
// nowhere, questions are answered No, dialogs are cancelled, the clipboard cannot be reached and no
// events run. Derived classes override what they answer otherwise.
class HeadlessUiServices : public UiServices
{
public:
    void showMessage(QObject*, const QString&, const QString&) override {}
    bool askYesNo(QObject*, const QString&, const QString&) override { return false; }
    void showError(QObject*, const QString&) override {}
    bool openUrl(const QUrl&) override { return false; }
    bool openDocument(const QString&) override { return false; }
    bool clearClipboard() override { return false; }
    bool setClipboardText(const QString&) override { return false; }
    QString chooseFolder(QObject*, const QString&, const QString&) override { return {}; }
    QString chooseOpenFile(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    void processEvents() override {}
};
