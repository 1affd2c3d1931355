#pragma once

#include "base/UiServices.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// A scripted desktop for tests: records every call, answers questions and dialogs from queues.
// An unanswered question says No and an unanswered dialog is cancelled.
class FakeUiServices final : public UiServices
{
public:
    enum class Kind
    {
        Message,
        Question,
        Error,
        OpenUrl,
        OpenDocument,
        ClearClipboard,
        SetClipboard,
        ChooseFolder,
        ChooseFile,
        SaveFile
    };

    struct Call
    {
        Kind kind;
        QObject* owner = nullptr;
        QString text;    // message, question, error text, address, path, clipboard text or prompt
        QString title;   // question title, dialog title or filter
        QString extra;   // start folder / start file
        QString details; // a message's or a plain error's details
    };

    void showMessage(QObject* owner, const QString& text, const QString& details) override;
    bool askYesNo(QObject* owner, const QString& text, const QString& title) override;
    void showError(QObject* owner, const QString& text) override;
    // An error whose text is the description alone and whose details name the location.
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

    // The calls of one kind, in order.
    std::vector<Call> callsOf(Kind kind) const;
    QStringList messages() const;
    QStringList errors() const;
    void clear();

    std::vector<Call> calls;
    std::deque<bool> answers;        // questions: true = Yes
    std::deque<QString> chosenPaths; // folder, open and save dialogs: "" = cancel
    int clipboardFailures = 0;       // the next N clipboard attempts fail
    QString clipboard;
    bool clipboardHasText = false;
    int eventPumps = 0;
    bool desktopOpens = true; // what openUrl and openDocument answer
    // Runs at every processEvents, with the number of calls so far: a user acting meanwhile.
    std::function<void(int)> duringEvents;

private:
    QString nextChosenPath();
};
