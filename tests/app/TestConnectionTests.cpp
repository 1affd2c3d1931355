// The two "Test Connection" buttons of the main window against real sources: the sample free
// tables beside the program and, as "SQL Server", the SQLite ODBC driver in a private ODBC
// configuration (one per process, so this is a test program of its own).
#include "app/Form1.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/PrivateOdbcConfig.h"
#include "tests/support/RecordingSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

class TestConnectionTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FakeUiServices> m_ui;
    std::unique_ptr<RecordingSettings> m_settings;
    std::unique_ptr<Form1> m_form;

    void set(const char* name, const QString& text)
    {
        m_form->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
    }
    QString pressed(const char* button)
    {
        m_ui->clear();
        QTest::mouseClick(m_form->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        [&] { QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor); }();
        return m_ui->messages().join(QLatin1Char('|'));
    }
    // The details of the last message: the driver's or reader's reason.
    QString details() const { return m_ui->callsOf(FakeUiServices::Kind::Message).back().details; }

private slots:
    void initTestCase()
    {
        const QString error = PrivateOdbcConfig::registerSqliteAsSqlServer();
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void init()
    {
        m_ui = std::make_unique<FakeUiServices>();
        m_settings = std::make_unique<RecordingSettings>();
        m_form = std::make_unique<Form1>(*m_ui, *m_settings, nullptr, [] { return 1; });
    }

    void foxProSource()
    {
        set("Text2", QStringLiteral(FERRANDINE_SOURCE_DIR "/app/companion/Samples"));
        QCOMPARE(pressed("PushButton8"), QStringLiteral("Connection successful."));
        QCOMPARE(details(), QString()); // every sample names its own
        // The details name the tables that name no code page and what they will be read as.
        writeFile(m_dir.filePath(QStringLiteral("dos.dbf")), DbfBuilder(0x03, 0).field("A", 'C', 1).bytes());
        writeFile(m_dir.filePath(QStringLiteral("marked.dbf")),
                  DbfBuilder(0x03, 0x65).field("A", 'C', 1).bytes());
        set("Text2", m_dir.path());
        m_settings->write(Setting::SourceCodePage, QStringLiteral("866"));
        QCOMPARE(pressed("PushButton8"), QStringLiteral("Connection successful."));
        QCOMPARE(
            details(),
            QStringLiteral(
                "Tables that name no code page:\ndos: read as 866 Russian MS-DOS (chosen in the options)\n"));
        // ... and the tables that cannot be read, with why.
        writeFile(m_dir.filePath(QStringLiteral("x.dbf")), QByteArray("some text, not a table\n").repeated(3));
        QCOMPARE(pressed("PushButton8"), QStringLiteral("Connection successful."));
        QVERIFY2(details().startsWith(QStringLiteral("Tables that cannot be read:\nx: ") + m_dir.filePath("x.dbf") +
                                      QStringLiteral(" is not a dBASE or FoxPro table.\n\nTables that name no")),
                 qPrintable(details()));
        set("Text2", m_dir.filePath(QStringLiteral("no such folder")));
        QCOMPARE(pressed("PushButton8"), QStringLiteral("Could not connect."));
        QVERIFY2(details().contains(QLatin1String("no such folder")), qPrintable(details()));
        // DBC mode without a file.
        m_form->state().OptionDBC1 = true;
        QCOMPARE(pressed("PushButton8"), QStringLiteral("Could not connect."));
        QVERIFY(m_ui->errors().isEmpty());
    }

    void sqlServerTarget()
    {
        set("Text5", QStringLiteral("db.example"));
        set("Text3", QStringLiteral("sa"));
        set("Text4", QStringLiteral("se;cret"));
        set("Text8", m_dir.filePath(QStringLiteral("target.db")));
        QCOMPARE(pressed("PushButton6"), QStringLiteral("Connection successful."));
        // With "Local Connection" the port is not used, whatever it holds.
        m_form->findChild<QCheckBox*>(QStringLiteral("Check4"))->setChecked(true);
        set("Text6", QStringLiteral("not a port"));
        QCOMPARE(pressed("PushButton6"), QStringLiteral("Connection successful."));
        set("Text8", m_dir.filePath(QStringLiteral("no/such/folder.db")));
        QCOMPARE(pressed("PushButton6"),
                 QStringLiteral("Could not connect. Please check with your administrator."));
        QVERIFY(!details().isEmpty());
        QVERIFY(m_ui->errors().isEmpty());
    }
};

QTEST_MAIN(TestConnectionTests)
#include "TestConnectionTests.moc"
