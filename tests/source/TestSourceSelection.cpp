// The folder picker and the Advanced Options window, offscreen, with a scripted desktop and a
// temporary settings file.
#include "app/Form1.h"
#include "convert/SharedState.h"
#include "source/AddFolder.h"
#include "source/Form6.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/RecordingSettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using Kind = FakeUiServices::Kind;

class TestSourceSelection : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeUiServices> m_ui;
    std::unique_ptr<RecordingSettings> m_settings;
    SharedState m_state;

    QLineEdit* text1(Form6& form) { return form.findChild<QLineEdit*>(QStringLiteral("Text1")); }
    void click(Form6& form, const char* name)
    {
        QTest::mouseClick(form.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_ui = std::make_unique<FakeUiServices>();
        m_settings = std::make_unique<RecordingSettings>();
        m_state = SharedState();
    }

    void folderPickerPassesItsRequestOn()
    {
        QObject owner;
        m_ui->chosenPaths = {QStringLiteral("/srv/tables"), QString()};
        QCOMPARE(AddFolder::BrowseForFolder(*m_ui, &owner, QStringLiteral("Pick:"), QStringLiteral("/srv")),
                 QStringLiteral("/srv/tables"));
        QCOMPARE(AddFolder::BrowseForFolder(*m_ui, &owner, QStringLiteral("Pick:"), QString()), QString());
        const auto calls = m_ui->callsOf(Kind::ChooseFolder);
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(calls[0].owner, &owner);
        QCOMPARE(calls[0].text, QStringLiteral("Pick:"));
        QCOMPARE(calls[0].extra, QStringLiteral("/srv"));
    }

    // Choosers open where the typed path is, or at its nearest existing folder.
    void choosersStartWhereTheTypedPathIs_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("start"); // relative to a temporary folder holding a/shop.dbc
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("existing file") << "a/shop.dbc"
                                       << "a/shop.dbc";
        QTest::newRow("existing folder, trailing slash") << "a/"
                                                         << "a";
        QTest::newRow("missing file") << "a/none.dbc"
                                      << "a";
        QTest::newRow("missing folders") << "a/b/c/none.dbc"
                                         << "a";
    }
    void choosersStartWhereTheTypedPathIs()
    {
        QFETCH(QString, typed);
        QFETCH(QString, start);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a")));
        QFile file(dir.filePath(QStringLiteral("a/shop.dbc")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString expected = start.isEmpty() ? QString() : dir.filePath(start);
        QCOMPARE(AddFolder::StartingPlace(typed.isEmpty() ? typed : dir.filePath(typed)), expected);
    }

    void loadShowsTheStoredFile()
    {
        Form6 empty(*m_ui, *m_settings, m_state);
        QCOMPARE(text1(empty)->text(), QString());
        QCOMPARE(empty.windowTitle(), QStringLiteral("Advanced Options"));
        QVERIFY(!empty.windowIcon().isNull());
        m_settings->write(Setting::DBCFile, QStringLiteral("/data/shop.dbc"));
        Form6 stored(*m_ui, *m_settings, m_state);
        QCOMPARE(text1(stored)->text(), QStringLiteral("/data/shop.dbc"));
        QVERIFY(m_ui->errors().isEmpty());
    }

    void everyEditIsStored()
    {
        Form6 form(*m_ui, *m_settings, m_state);
        QTest::keyClicks(text1(form), QStringLiteral("/a"));
        QCOMPARE(m_settings->writesOf(Setting::DBCFile), QStringList({"/", "/a"}));
    }

    void checkBoxChoiceIsStoredAtOnce_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("key");
        QTest::newRow("own types") << "Check1" << QString::fromLatin1(Setting::NativeTypes.name);
        QTest::newRow("check every value") << "Check2" << QString::fromLatin1(Setting::VerifyValues.name);
        QTest::newRow("keys and indexes") << "Check3" << QString::fromLatin1(Setting::CreateIndexes.name);
        QTest::newRow("deleted records") << "Check4" << QString::fromLatin1(Setting::CopyDeleted.name);
    }

    void checkBoxChoiceIsStoredAtOnce()
    {
        QFETCH(QString, box);
        QFETCH(QString, key);
        const SettingKey& setting = box == "Check1"   ? Setting::NativeTypes
                                    : box == "Check2" ? Setting::VerifyValues
                                    : box == "Check3" ? Setting::CreateIndexes
                                                      : Setting::CopyDeleted;
        QCOMPARE(QString::fromLatin1(setting.name), key);
        {
            Form6 form(*m_ui, *m_settings, m_state);
            auto* check = form.findChild<QCheckBox*>(box);
            QVERIFY(!check->isChecked());
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
            QCOMPARE(m_settings->writesOf(setting), QStringList({"True"}));
        }
        Form6 again(*m_ui, *m_settings, m_state);
        QVERIFY(again.findChild<QCheckBox*>(box)->isChecked());
        QVERIFY(m_ui->errors().isEmpty());
    }

    // The choice lists every code page the reader knows and the guess; it is stored at once and read
    // afresh whenever the main window describes the source to a run, as "Copy Deleted" is.
    void codePageChoiceIsStored()
    {
        Form1 window(*m_ui, *m_settings, nullptr, [] { return 1; });
        auto combo = [](Form6& form) { return form.findChild<QComboBox*>(QStringLiteral("Combo1")); };
        Form6 form(*m_ui, *m_settings, m_state);
        QCOMPARE(combo(form)->currentText(), QStringLiteral("1252 Windows ANSI"));
        QCOMPARE(combo(form)->itemText(combo(form)->count() - 1), QStringLiteral("Guess from the text"));
        QVERIFY(m_settings->writesOf(Setting::SourceCodePage).isEmpty());
        combo(form)->setCurrentIndex(combo(form)->findText(QStringLiteral("866 Russian MS-DOS")));
        QCOMPARE(window.foxProSource().reader.unmarkedCodePage, 866);
        combo(form)->setCurrentIndex(combo(form)->count() - 1);
        QCOMPARE(m_settings->writesOf(Setting::SourceCodePage), QStringList({"866", "guess"}));
        QCOMPARE(window.foxProSource().reader.unmarkedCodePage, 0);
        Form6 again(*m_ui, *m_settings, m_state);
        QCOMPARE(combo(again)->currentText(), QStringLiteral("Guess from the text"));
        m_settings->write(Setting::SourceCodePage, QStringLiteral("65001")); // no code page the reader knows
        QCOMPARE(window.foxProSource().reader.unmarkedCodePage, 1252);
        QVERIFY(!window.foxProSource().reader.markDeleted);
        m_settings->write(Setting::CopyDeleted, QStringLiteral("True"));
        QVERIFY(window.foxProSource().reader.markDeleted);
        QVERIFY(m_ui->errors().isEmpty());
    }

    void fileDialog()
    {
        Form6 form(*m_ui, *m_settings, m_state);
        text1(form)->setText(QStringLiteral("/old.dbc"));
        click(form, "PushButton5"); // cancelled
        QCOMPARE(text1(form)->text(), QStringLiteral("/old.dbc"));
        const auto calls = m_ui->callsOf(Kind::ChooseFile);
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].owner, &form);
        QCOMPARE(calls[0].text, QStringLiteral("Select Foxpro Database"));
        QCOMPARE(calls[0].title, QStringLiteral("Microsoft Database (*.dbc)"));
        QCOMPARE(calls[0].extra, QStringLiteral("/")); // where the typed path is
        m_ui->chosenPaths.push_back(QStringLiteral("/data/Ñandú.dbc"));
        click(form, "PushButton5");
        QCOMPARE(text1(form)->text(), QStringLiteral("/data/Ñandú.dbc"));
        QCOMPARE(m_settings->stored(Setting::DBCFile), QStringLiteral("/data/Ñandú.dbc"));
    }

    void okWithAPathAdoptsTheFile()
    {
        Form6 form(*m_ui, *m_settings, m_state);
        text1(form)->setText(QStringLiteral("/data/shop.dbc"));
        click(form, "PushButton1");
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(m_state.OptionDBC1);
        QCOMPARE(m_state.DBCPath1, QStringLiteral("/data/shop.dbc"));
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("1"));
    }

    void okWithoutAPathChangesNothing()
    {
        m_state.DBCPath1 = QStringLiteral("/before.dbc");
        Form6 form(*m_ui, *m_settings, m_state);
        click(form, "PushButton1");
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!m_state.OptionDBC1);
        QCOMPARE(m_state.DBCPath1, QStringLiteral("/before.dbc"));
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("<absent>"));
    }

    // Cancel always returns to the folder and keeps the typed path stored.
    void cancelReturnsToTheFolder()
    {
        m_state.OptionDBC1 = true;
        Form6 form(*m_ui, *m_settings, m_state);
        text1(form)->setText(QStringLiteral("/data/shop.dbc"));
        click(form, "PushButton2");
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!m_state.OptionDBC1);
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("2"));
        QCOMPARE(m_settings->stored(Setting::DBCFile), QStringLiteral("/data/shop.dbc"));
    }

    void titleBarCloseChangesNeitherModeNorOption()
    {
        m_state.OptionDBC1 = true;
        m_state.DBCPath1 = QStringLiteral("/kept.dbc");
        Form6 form(*m_ui, *m_settings, m_state);
        form.show();
        text1(form)->setText(QStringLiteral("/typed.dbc"));
        QVERIFY(form.close());
        QVERIFY(m_state.OptionDBC1);
        QCOMPARE(m_state.DBCPath1, QStringLiteral("/kept.dbc"));
        QCOMPARE(m_settings->stored(Setting::FoxproOption), QStringLiteral("<absent>"));
        QCOMPARE(m_settings->stored(Setting::DBCFile), QStringLiteral("/typed.dbc"));
    }

    // The main window's "dbc" opens the window modally and sees its outcome afterwards.
    void mainWindowOpensAdvancedOptions()
    {
        m_settings->write(Setting::FreeTableFolder, QStringLiteral("/tables"));
        Form1 main(*m_ui, *m_settings, nullptr, [] { return 1; });
        QVERIFY(!main.state().OptionDBC1);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* options = qobject_cast<Form6*>(QApplication::activeModalWidget());
            seen = options && options->parent() == &main;
            if (!options)
                return;
            options->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("/db/x.dbc"));
            options->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("PushButton12")), Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(main.state().OptionDBC1);
        QCOMPARE(main.foxProSource().DBCPath1, QStringLiteral("/db/x.dbc"));
    }
};

QTEST_MAIN(TestSourceSelection)
#include "TestSourceSelection.moc"
