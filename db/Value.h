#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <algorithm>
#include <variant>

namespace db {

// An exact decimal number in plain notation: an optional "-", at least one digit, and optionally a
// "." followed by digits ("0.50", "-12", "1234.5678"). Kept as text so that no digit is lost.
struct Decimal
{
    QString text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// The digits of a decimal number: before its point (leading zeros not counted) and after it
// (trailing zeros not counted), and the length of its plain text. "-12.340" has 2, 2 and 7; NULL
// has none.
struct DecimalDigits
{
    int integer = 0;
    int fraction = 0;
    int length = 0;

    // Of a Decimal's plain text.
    static DecimalDigits of(QStringView text)
    {
        const int length = int(text.size());
        if (text.startsWith(u'-'))
            text = text.sliced(1);
        qsizetype point = text.indexOf(u'.');
        if (point < 0)
            point = text.size();
        qsizetype first = 0;
        while (first < point && text[first] == u'0')
            ++first;
        qsizetype last = text.size();
        while (last > point + 1 && text[last - 1] == u'0')
            --last;
        return {int(point - first), int(std::max<qsizetype>(last - point - 1, 0)), length};
    }
    // Each count the larger of this one's and `other`'s.
    void widen(const DecimalDigits& other)
    {
        integer = std::max(integer, other.integer);
        fraction = std::max(fraction, other.fraction);
        length = std::max(length, other.length);
    }
    friend bool operator==(const DecimalDigits&, const DecimalDigits&) = default;
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
