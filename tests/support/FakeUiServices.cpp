#include "tests/support/FakeUiServices.h"

#include "base/ErrorBox.h"

void FakeUiServices::showMessage(QObject* owner, const QString& text, const QString& details)
{
    calls.push_back({Kind::Message, owner, text, applicationTitle(), {}, details});
}

void FakeUiServices::processEvents()
{
    ++eventPumps;
    if (duringEvents)
        duringEvents(eventPumps);
}

bool FakeUiServices::askYesNo(QObject* owner, const QString& text, const QString& title)
{
    calls.push_back({Kind::Question, owner, text, title.isEmpty() ? applicationTitle() : title, {}, {}});
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

void FakeUiServices::showError(QObject* owner, const QString& text)
{
    calls.push_back({Kind::Error, owner, text, {}, {}, {}});
}

void FakeUiServices::reportPlainly(QObject* owner, const QString& description, const QString& location,
                                   int step)
{
    calls.push_back({Kind::Error, owner, description, {}, {}, ErrorBox::text(description, location, step)});
}

bool FakeUiServices::openUrl(const QUrl& url)
{
    calls.push_back({Kind::OpenUrl, nullptr, url.toString(QUrl::FullyEncoded), {}, {}, {}});
    return desktopOpens;
}

bool FakeUiServices::openDocument(const QString& path)
{
    calls.push_back({Kind::OpenDocument, nullptr, path, {}, {}, {}});
    return desktopOpens;
}

bool FakeUiServices::clearClipboard()
{
    calls.push_back({Kind::ClearClipboard, nullptr, {}, {}, {}, {}});
    if (clipboardFailures > 0) {
        --clipboardFailures;
        return false;
    }
    clipboard.clear();
    clipboardHasText = false;
    return true;
}

bool FakeUiServices::setClipboardText(const QString& text)
{
    calls.push_back({Kind::SetClipboard, nullptr, text, {}, {}, {}});
    if (clipboardFailures > 0) {
        --clipboardFailures;
        return false;
    }
    clipboard = text;
    clipboardHasText = true;
    return true;
}

QString FakeUiServices::chooseFolder(QObject* owner, const QString& prompt, const QString& startFolder)
{
    calls.push_back({Kind::ChooseFolder, owner, prompt, {}, startFolder, {}});
    return nextChosenPath();
}

QString FakeUiServices::chooseOpenFile(QObject* owner, const QString& title, const QString& filter,
                                       const QString& startFile)
{
    calls.push_back({Kind::ChooseFile, owner, title, filter, startFile, {}});
    return nextChosenPath();
}

QString FakeUiServices::chooseSaveFile(QObject* owner, const QString& title, const QString& filter,
                                       const QString& startFile)
{
    calls.push_back({Kind::SaveFile, owner, title, filter, startFile, {}});
    return nextChosenPath();
}

QString FakeUiServices::nextChosenPath()
{
    if (chosenPaths.empty())
        return {};
    QString path = chosenPaths.front();
    chosenPaths.pop_front();
    return path;
}

std::vector<FakeUiServices::Call> FakeUiServices::callsOf(Kind kind) const
{
    std::vector<Call> result;
    for (const Call& call : calls) {
        if (call.kind == kind)
            result.push_back(call);
    }
    return result;
}

QStringList FakeUiServices::messages() const
{
    QStringList result;
    for (const Call& call : callsOf(Kind::Message))
        result << call.text;
    return result;
}

QStringList FakeUiServices::errors() const
{
    QStringList result;
    for (const Call& call : callsOf(Kind::Error))
        result << call.text;
    return result;
}

void FakeUiServices::clear()
{
    calls.clear();
    eventPumps = 0;
}
