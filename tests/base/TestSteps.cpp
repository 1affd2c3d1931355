#include "base/ErrorBox.h"
#include "base/Failure.h"
#include "base/Steps.h"
#include "tests/support/FakeUiServices.h"

#include <QtTest>

#include <stdexcept>

class TestSteps : public QObject
{
    Q_OBJECT

private slots:
    void errorBoxTextIsExact()
    {
        const QString expected =
            QStringLiteral("Table not found\r\nin Carrowdel2021/08/31.Form1.PushButton7_Click "
                           "at line 192\r\rPlease email screenshot of this message to "
                           "support@quenthal.example");
        QCOMPARE(
            ErrorBox::text(QStringLiteral("Table not found"), QStringLiteral("Form1.PushButton7_Click"), 192),
            expected);
        QCOMPARE(ErrorBox::title(), QStringLiteral("Application Error"));
    }

    void failingStepShowsBoxAndGoesOn()
    {
        FakeUiServices ui;
        Steps s(ui, nullptr, QStringLiteral("Form2.PushButton1_Click"));
        QStringList done;
        QVERIFY(s.run(100, [&] { done << "100"; }));
        QVERIFY(!s.run(102, [&] { throw Failure(5, QStringLiteral("Disk full")); }));
        QVERIFY(s.run(104, [&] { done << "104"; }));
        QCOMPARE(done, (QStringList{"100", "104"}));
        QCOMPARE(ui.errors(), QStringList{ErrorBox::text(QStringLiteral("Disk full"),
                                                         QStringLiteral("Form2.PushButton1_Click"), 102)});
        QVERIFY(s.anyFailed());
    }

    void failingTestEntersTheBlock()
    {
        FakeUiServices ui;
        Steps s(ui, nullptr, QStringLiteral("Module.Procedure"));
        QVERIFY(s.test(106, []() -> bool { throw std::runtime_error("bad test"); }));
        QVERIFY(!s.test(108, [] { return false; }));
        QVERIFY(s.test(110, [] { return true; }));
        QCOMPARE(ui.errors().size(), 1);
        QVERIFY(ui.errors().front().startsWith(
            QStringLiteral("bad test\r\nin Carrowdel2021/08/31.Module.Procedure at line 106\r\r")));
    }

    void describesEveryKindOfException()
    {
        QCOMPARE(Steps::describe(std::make_exception_ptr(Failure(1, QStringLiteral("Zürich ✓")))),
                 QStringLiteral("Zürich ✓"));
        QCOMPARE(Steps::describe(std::make_exception_ptr(std::runtime_error("plain"))),
                 QStringLiteral("plain"));
        QCOMPARE(Steps::describe(std::make_exception_ptr(42)), QStringLiteral("Unknown error"));
    }
};

QTEST_GUILESS_MAIN(TestSteps)
#include "TestSteps.moc"
