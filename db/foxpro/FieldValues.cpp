#include "db/foxpro/FieldValues.h"

#include "db/foxpro/ByteSource.h"
#include "db/foxpro/MemoFile.h"

namespace db::foxpro {

namespace {

// Exponents beyond a double's range are no number a FoxPro field holds; refusing them also keeps
// a hostile "1E999999" from growing into a huge text.
constexpr int MaxExponent = 308;
constexpr qint64 FirstJulianDay = 1721426; // 0001-01-01
constexpr qint64 LastJulianDay = 5373484;  // 9999-12-31
constexpr qint64 MillisecondsPerDay = 86400000;

QByteArrayView trimmed(QByteArrayView bytes)
{
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (!bytes.isEmpty() && blank(bytes.front()))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && blank(bytes.back()))
        bytes.chop(1);
    return bytes;
}

[[noreturn]] void invalid(const char* what, QByteArrayView bytes)
{
    throw ValueError{
        QStringLiteral("%1 \"%2\" is not valid").arg(QLatin1String(what), QString::fromLatin1(bytes))};
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Places the decimal point of `digits` (the integer and fraction digits run together) `point` digits
// from the left, then drops superfluous leading zeros: "  12.50" -> "12.50", "-.5" -> "-0.5",
// "1.5E+3" -> "1500".
QString plainDecimal(bool negative, const QByteArray& digits, qsizetype point)
{
    QByteArray text;
    if (point <= 0)
        text = "0." + QByteArray(-point, '0') + digits;
    else if (point >= digits.size())
        text = digits + QByteArray(point - digits.size(), '0');
    else
        text = digits.left(point) + '.' + digits.mid(point);
    qsizetype lead = 0;
    while (lead + 1 < text.size() && text[lead] == '0' && text[lead + 1] != '.')
        ++lead;
    text.remove(0, lead);
    if (text.isEmpty())
        text = "0";
    return QString::fromLatin1(negative ? "-" + text : text);
}

int exponentOf(QByteArrayView text, QByteArrayView all)
{
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos == text.size() || text.size() - pos > 3)
        invalid("number", all);
    int value = 0;
    for (; pos < text.size(); ++pos) {
        if (!isDigit(text[pos]))
            invalid("number", all);
        value = value * 10 + (text[pos] - '0');
    }
    if (value > MaxExponent)
        invalid("number", all);
    return negative ? -value : value;
}

} // namespace

Value numericValue(QByteArrayView bytes)
{
    const QByteArrayView text = trimmed(bytes);
    if (text.isEmpty() || text.front() == '*')
        return {};
    qsizetype pos = 0;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-')
        negative = text[pos++] == '-';
    QByteArray digits;
    qsizetype point = -1;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (isDigit(c))
            digits += c;
        else if ((c == '.' || c == ',') && point < 0)
            point = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        invalid("number", bytes);
    int exponent = 0;
    if (pos < text.size()) {
        if (text[pos] != 'e' && text[pos] != 'E')
            invalid("number", bytes);
        exponent = exponentOf(text.sliced(pos + 1), bytes);
    }
    return Decimal{plainDecimal(negative, digits, (point < 0 ? digits.size() : point) + exponent)};
}

Value dateValue(QByteArrayView bytes)
{
    const QByteArrayView text = trimmed(bytes);
    if (text.isEmpty() || text.count('0') == text.size())
        return {};
    if (bytes.size() != 8 || !std::all_of(bytes.begin(), bytes.end(), isDigit))
        invalid("date", bytes);
    const auto number = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i)
            value = value * 10 + (bytes[i] - '0');
        return value;
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    if (!date.isValid() || date.year() < 1)
        invalid("date", bytes);
    return date;
}

Value dateTimeValue(QByteArrayView bytes)
{
    const auto all = [&](char c) { return bytes.count(c) == bytes.size(); };
    if (all('\0') || all(' '))
        return {};
    const qint64 day = static_cast<qint32>(le32(bytes.data()));
    const qint64 milliseconds = static_cast<qint32>(le32(bytes.data() + 4));
    if (day == 0)
        return {};
    if (day < FirstJulianDay || day > LastJulianDay || milliseconds < 0 || milliseconds >= MillisecondsPerDay)
        throw ValueError{QStringLiteral("date-time (day %1, %2 ms) is not valid").arg(day).arg(milliseconds)};
    return QDateTime(QDate::fromJulianDay(day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds)), Qt::UTC);
}

Value logicalValue(QByteArrayView bytes)
{
    switch (bytes.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    case '?':
    case ' ':
    case '\0':
        return {};
    default:
        invalid("logical", bytes);
    }
}

quint64 memoBlock(QByteArrayView bytes)
{
    if (bytes.size() == 4)
        return le32(bytes.data());
    const QByteArrayView text = trimmed(bytes);
    quint64 block = 0;
    for (char c : text) {
        if (!isDigit(c))
            invalid("memo block number", bytes);
        block = block * 10 + quint64(c - '0');
    }
    return block;
}

} // namespace db::foxpro
