#include "ui/QtUiServices.h"

#include "base/ErrorBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QWidget* ownerWidget(QObject* owner)
{
    return qobject_cast<QWidget*>(owner);
}

// The program's texts separate paragraphs with CR (or CR LF) pairs; Qt's labels break lines at LF.
QString displayed(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

void QtUiServices::showMessage(QObject* owner, const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), displayed(text), QMessageBox::Ok,
                    ownerWidget(owner));
    box.setDetailedText(details);
    box.exec();
}

bool QtUiServices::askYesNo(QObject* owner, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? applicationTitle() : title, displayed(text),
                    QMessageBox::Yes | QMessageBox::No, ownerWidget(owner));
    return box.exec() == QMessageBox::Yes;
}

void QtUiServices::showError(QObject* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, ErrorBox::title(), displayed(text), QMessageBox::Ok,
                    ownerWidget(owner));
    box.exec();
}

void QtUiServices::reportPlainly(QObject* owner, const QString& description, const QString& location, int step)
{
    QMessageBox box(QMessageBox::Warning, ErrorBox::title(), displayed(description), QMessageBox::Ok,
                    ownerWidget(owner));
    box.setDetailedText(displayed(ErrorBox::text(description, location, step)));
    box.exec();
}

bool QtUiServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool QtUiServices::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtUiServices::clearClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool QtUiServices::setClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return true;
}

QString QtUiServices::chooseFolder(QObject* owner, const QString& prompt, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(ownerWidget(owner), prompt, startFolder,
                                             QFileDialog::ShowDirsOnly);
}

// Qt's own dialog: it matches a filter's patterns without regard to case, so "*.dbc" also shows the
// "NORTHWIND.DBC" of a database made on Windows, which a desktop's native dialog may hide.
QString QtUiServices::chooseOpenFile(QObject* owner, const QString& title, const QString& filter,
                                     const QString& startFile)
{
    return QFileDialog::getOpenFileName(ownerWidget(owner), title, startFile, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString QtUiServices::chooseSaveFile(QObject* owner, const QString& title, const QString& filter,
                                     const QString& startFile)
{
    return QFileDialog::getSaveFileName(ownerWidget(owner), title, startFile, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

void QtUiServices::processEvents()
{
    QCoreApplication::processEvents();
}
