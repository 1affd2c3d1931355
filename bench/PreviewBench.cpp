// A preview of 1,000,000 statements: filling the list the way the run does, showing the SQL Preview
// window and scrolling to its end, Find and Replace over every line, copying every line, the memory
// each line costs, and what letting window events run costs inside such a loop. Then statements of a
// memo table, lines of 100,000 and 1,000,000 characters: repainting a window full of them, and
// copying 100,000 lines of which one is that long.
//
//     QT_QPA_PLATFORM=offscreen build/bench/bench_preview [lines | --long-lines]
#include "base/EventPump.h"
#include "base/HeadlessUiServices.h"
#include "convert/DatatypeRowsModel.h"
#include "convert/SharedState.h"
#include "preview/Clipboard.h"
#include "preview/FindReplace.h"
#include "preview/Form2.h"
#include "preview/Form3.h"
#include "preview/PreviewController.h"
#include "preview/StatementListModel.h"
#include "preview/StatementView.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

namespace {

// The real clipboard and event loop; messages are only counted, so nothing waits for a click.
class BenchUi final : public HeadlessUiServices
{
public:
    void showMessage(QObject*, const QString&, const QString&) override { ++messages; }
    void showError(QObject*, const QString& text) override { std::printf("error: %s\n", qPrintable(text)); }
    bool clearClipboard() override
    {
        QGuiApplication::clipboard()->clear();
        return true;
    }
    bool setClipboardText(const QString& text) override
    {
        QGuiApplication::clipboard()->setText(text);
        return true;
    }
    void processEvents() override { QCoreApplication::processEvents(); }

    int messages = 0;
};

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.value(1).toDouble() * 4096.0 / (1024.0 * 1024.0);
}

QString statement(int row)
{
    return QStringLiteral("INSERT INTO [orders] ([id],[customer],[amount],[placed]) VALUES(%1,'Customer "
                          "%2',%3.50,'2021-08-31')")
        .arg(row)
        .arg(row % 9973)
        .arg(row % 100000);
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// One pass of the find-and-replace rule over every line, letting events run as `letEventsRun` says.
template <class Pump> double replacePass(const std::vector<QString>& lines, Pump&& letEventsRun)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype changed = 0;
    for (const QString& line : lines) {
        letEventsRun();
        if (FindReplace::replace(line, QStringLiteral("[ORDERS]"), QStringLiteral("[Orders]")))
            ++changed;
    }
    Q_ASSERT(changed == qsizetype(lines.size()));
    return seconds(timer);
}

// An INSERT of a memo field `length` characters long.
QString longStatement(int row, qsizetype length)
{
    return QStringLiteral("INSERT INTO [notes] ([id],[text]) VALUES(%1,'").arg(row) +
           QString(length, QLatin1Char('a' + row % 26)) + QStringLiteral("')");
}

// The median of a few repaints of a list showing 15 such lines, in the SQL Preview's list size (the
// median, since other work on the machine makes single repaints slow now and then).
double repaintLongLines(qsizetype length)
{
    StatementListModel model;
    std::vector<QString> lines;
    for (int row = 0; row < 15; ++row)
        lines.push_back(longStatement(row, length));
    model.append(std::move(lines));
    StatementView view;
    view.setStatements(&model);
    view.resize(520, 221);
    view.setColumnWidth(0, 467);
    view.show();
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int attempt = 0; attempt < 9; ++attempt) {
        QElapsedTimer timer;
        timer.start();
        view.viewport()->repaint();
        times.push_back(seconds(timer));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Copying 100,000 checked lines, one of which is `length` characters long.
double copyWithOneLongLine(BenchUi& ui, qsizetype length)
{
    StatementListModel model;
    std::vector<QString> lines;
    for (int row = 0; row < 100000; ++row)
        lines.push_back(row == 50000 ? longStatement(row, length) : statement(row));
    model.append(std::move(lines));
    model.setAllChecked(true);
    QElapsedTimer timer;
    timer.start();
    EventPump pump(ui);
    Main::CopyListToClipboard(model, ui, pump);
    return seconds(timer);
}

int longLines()
{
    BenchUi ui;
    for (qsizetype length : {qsizetype(100), qsizetype(10000), qsizetype(100000), qsizetype(1000000)})
        std::printf("repaint, 15 lines of %7lld characters   %.1f ms (target < 20 ms)\n",
                    static_cast<long long>(length), repaintLongLines(length) * 1000);
    for (qsizetype length : {qsizetype(0), qsizetype(40000), qsizetype(1000000)})
        std::printf("copy 100,000 lines, one of %7lld chars  %.3f s (target < 0.5 s)\n",
                    static_cast<long long>(length), copyWithOneLongLine(ui, length));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--long-lines")
        return longLines();
    const int lineCount = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    BenchUi ui;
    SharedState shared;
    DatatypeRowsModel datatypes;
    QTemporaryDir settingsFolder;
    IniSettingsStore settings(settingsFolder.filePath(QStringLiteral("Quenthal.ini")));
    PreviewController preview(ui, settings, shared, datatypes, nullptr);
    int errorLine = 0;

    QElapsedTimer timer;
    timer.start();
    qsizetype characters = 0;
    for (int row = 0; row < lineCount; ++row)
        characters += statement(row).size();
    const double textOnly = seconds(timer);

    const double rssBefore = residentMegabytes();
    timer.start();
    for (int row = 0; row < lineCount; ++row)
        preview.appendStatement(statement(row));
    const double fill = seconds(timer);
    const double rssAfter = residentMegabytes();
    StatementListModel& model = preview.statements();

    timer.start();
    Form2 window(ui, settings, shared, model, datatypes, errorLine);
    window.show();
    QCoreApplication::processEvents();
    auto* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
    list->scrollToBottom();
    list->repaint();
    QCoreApplication::processEvents();
    const double show = seconds(timer);

    timer.start();
    Form3 findReplace(ui, settings, model, &window);
    findReplace.show();
    findReplace.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("insert into"));
    findReplace.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("INSERT INTO"));
    findReplace.findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
    const double replace = seconds(timer);

    model.setAllChecked(true);
    timer.start();
    EventPump pump(ui);
    Main::CopyListToClipboard(model, ui, pump);
    const double copy = seconds(timer);
    const qsizetype copied = QGuiApplication::clipboard()->text().size();

    const std::vector<QString>& lines = model.lines();
    const double bare = replacePass(lines, [] {});
    const double everyLine = replacePass(lines, [] { QCoreApplication::processEvents(); });
    EventPump throttled(ui);
    const double atMostEvery20ms = replacePass(lines, [&] { throttled.run(); });

    const double textMegabytesUtf16 = double(characters) * 2 / (1024.0 * 1024.0);
    std::printf("lines                          %d (%.1f characters each)\n", lineCount,
                double(characters) / lineCount);
    std::printf("building the texts alone       %.3f s\n", textOnly);
    std::printf("fill (texts + appends)         %.3f s\n", fill);
    std::printf("show and scroll to the end     %.3f s\n", show);
    std::printf("fill and show                  %.3f s (target < 2 s)\n", fill + show);
    std::printf("Find and Replace, all lines    %.3f s (target < 1 s)\n", replace);
    std::printf("copy all lines                 %.3f s (%lld characters on the clipboard)\n", copy,
                static_cast<long long>(copied));
    std::printf("memory of the list             %.1f MB = %.0f bytes per line; text %.1f MB as UTF-16: %.2fx "
                "(target < 2x)\n",
                rssAfter - rssBefore, (rssAfter - rssBefore) * 1024 * 1024 / lineCount, textMegabytesUtf16,
                (rssAfter - rssBefore) / textMegabytesUtf16);
    std::printf("replace rule, no events        %.3f s\n", bare);
    std::printf("  events after every line      %.3f s (+%.0f%%)\n", everyLine, (everyLine / bare - 1) * 100);
    std::printf("  events at most every 20 ms   %.3f s (+%.0f%%)\n", atMostEvery20ms,
                (atMostEvery20ms / bare - 1) * 100);
    return longLines();
}
