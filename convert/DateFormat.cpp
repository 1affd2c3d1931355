#include "convert/DateFormat.h"

#include "convert/Digits.h"

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

} // namespace

namespace convert {

// Qt's C locale writes "31 Aug 2021"; a locale without conventions gets ISO 8601 instead.
DateFormat::DateFormat(const QLocale& locale)
    : DateFormat(locale, locale.language() == QLocale::C ? QStringLiteral("yyyy-MM-dd")
                                                         : locale.dateFormat(QLocale::ShortFormat))
{}

DateFormat::DateFormat(const QLocale& locale, const QString& format)
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

void DateFormat::appendDate(QString& out, QDate date) const
{
    if (!date.isValid())
        return;
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    for (const Token& token : m_tokens) {
        switch (token.part) {
        case Part::Literal:
            out.append(token.literal);
            break;
        case Part::Day:
            appendDigits(out, day, 1);
            break;
        case Part::Day2:
            appendDigits(out, day, 2);
            break;
        case Part::DayName:
            out.append(m_dayNames[date.dayOfWeek() - 1]);
            break;
        case Part::LongDayName:
            out.append(m_longDayNames[date.dayOfWeek() - 1]);
            break;
        case Part::Month:
            appendDigits(out, month, 1);
            break;
        case Part::Month2:
            appendDigits(out, month, 2);
            break;
        case Part::MonthName:
            out.append(m_monthNames[month - 1]);
            break;
        case Part::LongMonthName:
            out.append(m_longMonthNames[month - 1]);
            break;
        case Part::Year:
            appendSigned(out, year, 4);
            break;
        }
    }
}

void DateFormat::appendTime(QString& out, QTime time)
{
    appendDigits(out, time.hour(), 2);
    out.append(QLatin1Char(':'));
    appendDigits(out, time.minute(), 2);
    out.append(QLatin1Char(':'));
    appendDigits(out, time.second(), 2);
    if (time.msec() != 0) {
        out.append(QLatin1Char('.'));
        appendDigits(out, time.msec(), 3);
    }
}

} // namespace convert
