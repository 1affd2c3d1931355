#pragma once

#include "base/UiServices.h"

// The desktop behind UiServices: Qt's message boxes, dialogs, clipboard and desktop services.
// This is the only place of the program that talks to them directly.
class QtUiServices final : public UiServices
{
public:
    void showMessage(QObject* owner, const QString& text, const QString& details) override;
    bool askYesNo(QObject* owner, const QString& text, const QString& title) override;
    void showError(QObject* owner, const QString& text) override;
    void reportPlainly(QObject* owner, const QString& description, const QString& location, int step) override;
    bool openUrl(const QUrl& url) override;
    bool openDocument(const QString& path) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString& text) override;
    QString chooseFolder(QObject* owner, const QString& prompt, const QString& startFolder) override;
    QString chooseOpenFile(QObject* owner, const QString& title, const QString& filter,
                           const QString& startFile) override;
    QString chooseSaveFile(QObject* owner, const QString& title, const QString& filter,
                           const QString& startFile) override;
    void processEvents() override;
};
