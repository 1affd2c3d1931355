#pragma once

#include "convert/TextOut.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>
#include <vector>

namespace convert {

// A date format read once from a locale and then applied to any number of dates without looking at
// the locale again. Under the C (POSIX) locale dates are ISO 8601, "2021-08-31"; under any other locale
// they follow the locale's short date format with the year always written with (at least) four
// digits, so "31.08.21" becomes "31.08.2021". Digits are always ASCII.
class DateFormat
{
public:
    explicit DateFormat(const QLocale& locale);
    // A format in Qt's notation (d, dd, ddd, dddd, M, MM, MMM, MMMM, any run of y for the four-digit
    // year, text in single quotes); names of days and months come from `locale`.
    DateFormat(const QLocale& locale, const QString& format);
    // ISO 8601 as SQL Server's DATE and DATETIME2 read it whatever its language: "2021-08-31" and
    // "2021-08-31T14:05:09.000", the milliseconds always written.
    static DateFormat iso8601();

    // Appends the date; an invalid date appends nothing.
    void appendDate(TextOut& out, QDate date) const;
    // Appends the date, a blank and the wall-clock time as "hh:mm:ss" in 24 hours, with ".zzz" when the
    // milliseconds are not zero; an invalid date-time appends nothing.
    void appendDateTime(TextOut& out, const QDateTime& dateTime) const;

    // True when a literal part of the format holds a single quote.
    bool mayHoldQuote() const { return m_mayHoldQuote; }

private:
    enum class Part
    {
        Literal,
        Day,
        Day2,
        DayName,
        LongDayName,
        Month,
        Month2,
        MonthName,
        LongMonthName,
        Year
    };
    struct Token
    {
        Part part;
        QString literal;
    };

    void compile(const QString& format);
    void appendJulianDay(TextOut& out, qint64 julianDay) const;
    void addLiteral(const QString& text);

    std::vector<Token> m_tokens;
    std::array<QString, 7> m_dayNames;
    std::array<QString, 7> m_longDayNames;
    std::array<QString, 12> m_monthNames;
    std::array<QString, 12> m_longMonthNames;
    bool m_mayHoldQuote = false;
    bool m_iso = false;     // "yyyy-MM-dd": years 1 to 9999 take a direct path
    bool m_isoTime = false; // date-times as "yyyy-MM-ddThh:mm:ss.zzz"
};

} // namespace convert
