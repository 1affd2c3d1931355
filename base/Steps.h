#pragma once

#include <QString>

#include <exception>
#include <utility>

class QObject;
class UiServices;

// Runs the numbered steps of one handler or procedure under the program's failure rule: a step that
// throws shows the error box naming the location and the step number, and the procedure goes on
// with the next step. A failing test in front of a block enters the block.
//
//     Steps s(ui, this, QStringLiteral("Form1.PushButton3_Click"));
//     s.run(100, [&] { ... });
//     if (s.test(102, [&] { return ...; }))
//         s.run(104, [&] { ... });
class Steps
{
public:
    Steps(UiServices& ui, QObject* owner, QString location)
        : m_ui(ui), m_owner(owner), m_location(std::move(location))
    {}

    // Runs one step; false when it failed (the box has been shown).
    template <class Body> bool run(int step, Body&& body)
    {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (...) {
            report(step, std::current_exception());
            return false;
        }
    }

    // Runs one step whose failure the user can act on (a table that cannot be read): its box puts
    // the description first and the location in the details (UiServices::reportPlainly).
    template <class Body> bool runPlainly(int step, Body&& body)
    {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (...) {
            report(step, std::current_exception(), true);
            return false;
        }
    }

    // Evaluates the test in front of a block. A test that fails shows the box and enters the block.
    template <class Condition> bool test(int step, Condition&& condition)
    {
        try {
            return std::forward<Condition>(condition)();
        } catch (...) {
            report(step, std::current_exception());
            return true;
        }
    }

    bool anyFailed() const { return m_failures > 0; }
    int failures() const { return m_failures; }
    const QString& location() const { return m_location; }

    // The description a user reads for an exception: a Failure's own description, the text of any
    // other standard exception, or a fixed text for anything else.
    static QString describe(std::exception_ptr error);

private:
    void report(int step, std::exception_ptr error, bool plainly = false);

    UiServices& m_ui;
    QObject* m_owner;
    QString m_location;
    int m_failures = 0;
};
