#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <variant>

namespace db {

// An exact decimal number in plain notation: an optional "-", at least one digit, and optionally a
// "." followed by digits ("0.50", "-12", "1234.5678"). Kept as text so that no digit is lost.
struct Decimal
{
    QString text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// A currency amount in ten-thousandths of the unit, as FoxPro stores it.
struct Currency
{
    qint64 tenThousandths = 0;
    friend bool operator==(const Currency&, const Currency&) = default;
};

// One field value of a record. std::monostate is NULL. Date-times are wall-clock times without a
// zone and are always held with Qt::UTC, so that no local-time rule (a summer-time gap) moves them.
using Value = std::variant<std::monostate, QString, qint32, double, Decimal, Currency, QDate, QDateTime, bool,
                           QByteArray>;

inline bool isNull(const Value& value)
{
    return std::holds_alternative<std::monostate>(value);
}

} // namespace db
