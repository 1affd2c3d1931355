#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one error type the program raises on purpose: a non-zero number and the description a user
// reads in the error box. Lower layers derive their own kinds from it (database errors, reader errors).
class Failure : public std::exception
{
public:
    Failure(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
    {}

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
