#pragma once

#include "base/ErrorBox.h"

#include <QString>
#include <QUrl>

class QObject;

// Everything the program asks of the desktop goes through this one interface: message boxes,
// questions, the error box, opening addresses and documents, the clipboard, file and folder
// dialogs, and letting pending window events run. Windows and the conversion run receive it in
// their constructor; QtUiServices serves the real desktop, tests script their own.
//
// `owner` is the window a dialog belongs to (a QWidget, or null for none).
class UiServices
{
public:
    virtual ~UiServices() = default;

    // A plain message: OK button only, no icon, the application title as caption. `details`, when
    // not empty, goes to the box's details area: the driver's or reader's own words behind the text.
    virtual void showMessage(QObject* owner, const QString& text, const QString& details = QString()) = 0;
    // A question with Yes and No buttons; true when the answer is Yes. An empty title means the
    // application title.
    virtual bool askYesNo(QObject* owner, const QString& text, const QString& title = QString()) = 0;
    // The error box: title "Application Error", warning icon, OK only. `text` is ErrorBox::text().
    virtual void showError(QObject* owner, const QString& text) = 0;
    // A numbered step of `location` ("Window.Procedure") failed with `description`: by default the
    // error box. A desktop without windows may report the parts its own way.
    virtual void reportFailure(QObject* owner, const QString& description, const QString& location, int step)
    {
        showError(owner, ErrorBox::text(description, location, step));
    }

    // The same for a failure the user can act on (a table that cannot be read): a desktop with windows
    // shows the error box with the description alone and the location in its details.
    virtual void reportPlainly(QObject* owner, const QString& description, const QString& location, int step)
    {
        reportFailure(owner, description, location, step);
    }

    // Hands a web or "mailto:" address to the desktop, without waiting for the program it starts;
    // false when the desktop refused (no program for it, no desktop opener installed).
    virtual bool openUrl(const QUrl& url) = 0;
    // Opens a file with the desktop's viewer for it, without waiting; false when the desktop refused.
    virtual bool openDocument(const QString& path) = 0;

    // One attempt each; false when the clipboard could not be reached.
    virtual bool clearClipboard() = 0;
    virtual bool setClipboardText(const QString& text) = 0;

    // Modal choosers; an empty text when the user cancels.
    virtual QString chooseFolder(QObject* owner, const QString& prompt, const QString& startFolder) = 0;
    virtual QString chooseOpenFile(QObject* owner, const QString& title, const QString& filter,
                                   const QString& startFile) = 0;
    // The file to write, asked for with the desktop's save dialog; an existing file is confirmed first.
    virtual QString chooseSaveFile(QObject* owner, const QString& title, const QString& filter,
                                   const QString& startFile) = 0;

    // Lets the window system process pending events (repaints, clicks) inside a long loop.
    virtual void processEvents() = 0;

    // The caption of every plain message and question that names no title of its own.
    const QString& applicationTitle() const { return m_applicationTitle; }
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }

private:
    QString m_applicationTitle;
};
