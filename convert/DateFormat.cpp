#include "convert/DateFormat.h"

#include <algorithm>

namespace {

qsizetype runLength(const QString& format, qsizetype at)
{
    qsizetype end = at;
    while (end < format.size() && format.at(end) == format.at(at))
        ++end;
    return end - at;
}

// Reads the quoted text that starts at `at` and moves `at` past it: '' alone is one quote, and inside
// quoted text '' stands for a quote. An unclosed quote runs to the end of the format.
QString readQuoted(const QString& format, qsizetype& at)
{
    const QChar quote = QLatin1Char('\'');
    ++at;
    if (at < format.size() && format.at(at) == quote) {
        ++at;
        return QString(quote);
    }
    QString text;
    while (at < format.size()) {
        if (format.at(at) != quote) {
            text.append(format.at(at++));
        } else if (at + 1 < format.size() && format.at(at + 1) == quote) {
            text.append(quote);
            at += 2;
        } else {
            ++at;
            break;
        }
    }
    return text;
}

struct CivilDate
{
    qint64 year;
    int month;
    int day;
};

constexpr qint64 FirstJulianDay = 1721426; // 0001-01-01
constexpr qint64 LastJulianDay = 5373484;  // 9999-12-31
constexpr qint64 DaysPer400Years = 146097;

// The date of a Julian day of years 1 to 9999, by Neri and Schneider's Euclidean affine functions: in
// unsigned 32-bit arithmetic, its divisions by constants all multiplications.
CivilDate commonEraDate(qint64 julianDay)
{
    const auto n = static_cast<quint32>(julianDay - 1721120); // days since 0000-03-01
    const quint32 centuries = (4 * n + 3) / 146097;
    const quint32 dayOfCentury = (4 * n + 3) % 146097 / 4;
    const quint64 yearsAndDay = quint64(2939745) * (4 * dayOfCentury + 3);
    const auto yearOfCentury = static_cast<quint32>(yearsAndDay >> 32);
    const quint32 dayOfYear = static_cast<quint32>(yearsAndDay) / 2939745 / 4; // from March 1st
    const quint32 monthAndDay = 2141 * dayOfYear + 197913;
    const bool january = dayOfYear >= 306; // or February, of the next year
    const quint32 month = monthAndDay >> 16;
    return {qint64(100 * centuries + yearOfCentury + (january ? 1 : 0)), int(january ? month - 12 : month),
            int((monthAndDay & 0xFFFF) / 2141 + 1)};
}

// The proleptic Gregorian date of any Julian day, with Qt's years: no year 0, 1 BC is year -1. The
// calendar repeats every 400 years: whole such spans move the day into years 1 to 400 and back.
CivilDate civilDate(qint64 julianDay)
{
    const qint64 offset = julianDay - FirstJulianDay;
    const qint64 spans = (offset >= 0 ? offset : offset - (DaysPer400Years - 1)) / DaysPer400Years;
    CivilDate date = commonEraDate(julianDay - spans * DaysPer400Years);
    date.year += spans * 400;
    if (date.year <= 0)
        --date.year;
    return date;
}

} // namespace

namespace convert {

// Qt's C locale writes "31 Aug 2021"; a locale without conventions gets ISO 8601 instead.
DateFormat::DateFormat(const QLocale& locale)
    : DateFormat(locale, locale.language() == QLocale::C ? QStringLiteral("yyyy-MM-dd")
                                                         : locale.dateFormat(QLocale::ShortFormat))
{}

DateFormat DateFormat::iso8601()
{
    DateFormat format(QLocale::c(), QStringLiteral("yyyy-MM-dd"));
    format.m_isoTime = true;
    return format;
}

DateFormat::DateFormat(const QLocale& locale, const QString& format)
    : m_iso(format == QLatin1String("yyyy-MM-dd"))
{
    for (int i = 0; i < 7; ++i) {
        m_dayNames[i] = locale.dayName(i + 1, QLocale::ShortFormat);
        m_longDayNames[i] = locale.dayName(i + 1, QLocale::LongFormat);
    }
    for (int i = 0; i < 12; ++i) {
        m_monthNames[i] = locale.monthName(i + 1, QLocale::ShortFormat);
        m_longMonthNames[i] = locale.monthName(i + 1, QLocale::LongFormat);
    }
    compile(format);
}

void DateFormat::addLiteral(const QString& text)
{
    if (text.contains(QLatin1Char('\'')))
        m_mayHoldQuote = true;
    if (!m_tokens.empty() && m_tokens.back().part == Part::Literal)
        m_tokens.back().literal += text;
    else
        m_tokens.push_back({Part::Literal, text});
}

// Letters other than d, M and y, and every other character, are taken as they stand.
void DateFormat::compile(const QString& format)
{
    static constexpr Part days[] = {Part::Day, Part::Day2, Part::DayName, Part::LongDayName};
    static constexpr Part months[] = {Part::Month, Part::Month2, Part::MonthName, Part::LongMonthName};
    qsizetype at = 0;
    while (at < format.size()) {
        const QChar c = format.at(at);
        const qsizetype run = runLength(format, at);
        if (c == QLatin1Char('\'')) {
            addLiteral(readQuoted(format, at));
        } else if (c == QLatin1Char('d') || c == QLatin1Char('M')) {
            const qsizetype used = std::min<qsizetype>(run, 4);
            m_tokens.push_back({(c == QLatin1Char('d') ? days : months)[used - 1], {}});
            at += used;
        } else if (c == QLatin1Char('y')) {
            m_tokens.push_back({Part::Year, {}});
            at += run;
        } else {
            addLiteral(format.mid(at, run));
            at += run;
        }
    }
}

void DateFormat::appendDate(TextOut& out, QDate date) const
{
    if (date.isValid())
        appendJulianDay(out, date.toJulianDay());
}

// The wall clock is read from the milliseconds since the epoch rather than through date() and time(),
// which is several times faster for the UTC values records hold.
void DateFormat::appendDateTime(TextOut& out, const QDateTime& dateTime) const
{
    if (!dateTime.isValid())
        return;
    constexpr qint64 msecsPerDay = 86400000;
    constexpr qint64 julianDayOfEpoch = 2440588;
    qint64 msecs = dateTime.toMSecsSinceEpoch();
    if (dateTime.timeSpec() != Qt::UTC)
        msecs += dateTime.offsetFromUtc() * qint64(1000);
    const qint64 days = msecs >= 0 ? msecs / msecsPerDay : (msecs + 1) / msecsPerDay - 1;
    const qint64 msecsOfDay = msecs - days * msecsPerDay;
    appendJulianDay(out, days + julianDayOfEpoch);
    const auto clock = static_cast<quint32>(msecsOfDay);
    const bool milliseconds = m_isoTime || clock % 1000 != 0;
    char16_t* at = out.grow(milliseconds ? 13 : 9);
    *at++ = m_isoTime ? u'T' : u' ';
    at = writePair(at, clock / 3600000);
    *at++ = u':';
    at = writePair(at, clock / 60000 % 60);
    *at++ = u':';
    at = writePair(at, clock / 1000 % 60);
    if (milliseconds) {
        *at++ = u'.';
        *at = static_cast<char16_t>(u'0' + clock % 1000 / 100);
        writePair(at + 1, clock % 100);
    }
}

void DateFormat::appendJulianDay(TextOut& out, qint64 julianDay) const
{
    if (m_iso && julianDay >= FirstJulianDay && julianDay <= LastJulianDay) {
        const CivilDate date = commonEraDate(julianDay);
        const auto year = static_cast<quint32>(date.year);
        char16_t* at = writePair(writePair(out.grow(10), year / 100), year % 100);
        *at++ = u'-';
        at = writePair(at, quint32(date.month));
        *at++ = u'-';
        writePair(at, quint32(date.day));
        return;
    }
    const CivilDate date = civilDate(julianDay);
    const auto weekday = static_cast<std::size_t>((julianDay % 7 + 7) % 7);
    for (const Token& token : m_tokens) {
        switch (token.part) {
        case Part::Literal:
            appendView(out, token.literal);
            break;
        case Part::Day:
            appendDigits(out, date.day, 1);
            break;
        case Part::Day2:
            appendDigits(out, date.day, 2);
            break;
        case Part::DayName:
            appendView(out, m_dayNames[weekday]);
            break;
        case Part::LongDayName:
            appendView(out, m_longDayNames[weekday]);
            break;
        case Part::Month:
            appendDigits(out, date.month, 1);
            break;
        case Part::Month2:
            appendDigits(out, date.month, 2);
            break;
        case Part::MonthName:
            appendView(out, m_monthNames[date.month - 1]);
            break;
        case Part::LongMonthName:
            appendView(out, m_longMonthNames[date.month - 1]);
            break;
        case Part::Year:
            appendSigned(out, date.year, 4);
            break;
        }
    }
}

} // namespace convert
