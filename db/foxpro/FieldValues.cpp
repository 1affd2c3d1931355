#include "db/foxpro/FieldValues.h"

#include "db/foxpro/ByteSource.h"
#include "db/foxpro/MemoFile.h"

#include <algorithm>
#include <cstring>

namespace db::foxpro {

namespace {

// Exponents beyond a double's range are no number a FoxPro field holds; refusing them also keeps
// a hostile "1E999999" from growing into a huge text.
constexpr int MaxExponent = 308;
constexpr qint64 FirstJulianDay = 1721426; // 0001-01-01
constexpr qint64 LastJulianDay = 5373484;  // 9999-12-31
constexpr qint64 MillisecondsPerDay = 86400000;
constexpr qint64 JulianDayOfEpoch = 2440588; // 1970-01-01

QByteArrayView trimmed(QByteArrayView bytes)
{
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (!bytes.isEmpty() && blank(bytes.front()))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && blank(bytes.back()))
        bytes.chop(1);
    return bytes;
}

// The stored text between quotes, without the blanks around it; a control character as \xNN, so
// that the report stays on one line.
QString quoted(QByteArrayView bytes)
{
    QString text = QStringLiteral("\"");
    for (const char c : trimmed(bytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        else
            text += QChar(byte);
    }
    return text + u'"';
}

[[noreturn]] void invalid(const char* what, QByteArrayView bytes)
{
    throw ValueError{
        QStringLiteral("%1 \"%2\" is not valid").arg(QLatin1String(what), QString::fromLatin1(bytes)),
        quoted(bytes)};
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Writes `digits` (the integer and fraction digits run together) with the decimal point `point`
// digits from the left, without superfluous leading zeros: "  12.50" -> "12.50", "-.5" -> "-0.5",
// "1.5E+3" -> "1500". No allocation when `text` has room.
void plainDecimal(bool negative, QByteArrayView digits, qsizetype point, QString& text)
{
    // At most 255 digits, shifted by at most MaxExponent places.
    char out[2 * MaxExponent + 260];
    qsizetype size = 0;
    if (negative)
        out[size++] = '-';
    const qsizetype start = size;
    if (point <= 0) {
        out[size++] = '0';
        out[size++] = '.';
        std::memset(out + size, '0', std::size_t(-point));
        size += -point;
        std::memcpy(out + size, digits.data(), std::size_t(digits.size()));
        size += digits.size();
    } else {
        const qsizetype whole = std::min(point, digits.size());
        std::memcpy(out + size, digits.data(), std::size_t(whole));
        size += whole;
        std::memset(out + size, '0', std::size_t(point - whole));
        size += point - whole;
        if (point < digits.size()) {
            out[size++] = '.';
            std::memcpy(out + size, digits.data() + point, std::size_t(digits.size() - point));
            size += digits.size() - point;
        }
    }
    qsizetype lead = start;
    while (lead + 1 < size && out[lead] == '0' && out[lead + 1] != '.')
        ++lead;
    if (lead > start) {
        std::memmove(out + start, out + lead, std::size_t(size - lead));
        size -= lead - start;
    }
    text = QLatin1StringView(out, size);
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

// Some writers group the whole digits with commas: "1,200.00". Where every comma stands before a
// point with decimals after it and the commas group the digits by three, `text` is copied into `out`
// without them; otherwise it stays as it is, and a comma reads as a decimal comma.
QByteArrayView withoutGrouping(QByteArrayView text, char (&out)[256])
{
    const qsizetype point = text.indexOf('.');
    const qsizetype lastComma = text.lastIndexOf(',');
    if (lastComma < 0 || point < lastComma || point + 1 == text.size() || !isDigit(text[point + 1]))
        return text;
    const qsizetype start = text.front() == '+' || text.front() == '-' ? 1 : 0;
    qsizetype size = 0;
    if (start == 1)
        out[size++] = text.front();
    qsizetype group = 0; // digits since the last comma, or since the start
    for (qsizetype i = start; i < point; ++i) {
        if (text[i] == ',') {
            if (group == 0 || group > 3 || (i > start + group && group != 3))
                return text;
            group = 0;
        } else if (isDigit(text[i])) {
            out[size++] = text[i];
            ++group;
        } else {
            return text;
        }
    }
    if (group != 3)
        return text;
    std::memcpy(out + size, text.data() + point, std::size_t(text.size() - point));
    return QByteArrayView(out, size + text.size() - point);
}

// Whether `text` is a number as plainDecimal() writes it, and so its own decimal text: an optional
// "-", whole digits without a needless leading zero, and a point with digits after it or none.
bool isPlainDecimal(QByteArrayView text)
{
    const qsizetype first = !text.isEmpty() && text.front() == '-' ? 1 : 0;
    qsizetype pos = first;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    if (pos == first || (text[first] == '0' && pos > first + 1))
        return false;
    if (pos == text.size())
        return true;
    if (text[pos] != '.' || pos + 1 == text.size())
        return false;
    for (++pos; pos < text.size(); ++pos) {
        if (!isDigit(text[pos]))
            return false;
    }
    return true;
}

// The text of the decimal `value` holds, made one first when it holds something else.
QString& decimalText(Value& value)
{
    Decimal* decimal = std::get_if<Decimal>(&value);
    return decimal ? decimal->text : value.emplace<Decimal>().text;
}

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// The Julian day of a proleptic Gregorian date of year 1 or later; nothing when there is no such day.
std::optional<qint64> julianDay(int year, int month, int day)
{
    static constexpr int DaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0))
        return std::nullopt;
    // Counted in 400-year eras from 0000-03-01 (Julian day 1721120), so that a leap day ends its year.
    const int shiftedYear = month <= 2 ? year - 1 : year;
    const int era = shiftedYear / 400;
    const int yearOfEra = shiftedYear - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return 1721120 + qint64(era) * 146097 + dayOfEra;
}

} // namespace

void numericValue(QByteArrayView bytes, Value& value)
{
    // Most stored numbers are already written as their decimal is.
    if (const QByteArrayView plain = trimmed(bytes); isPlainDecimal(plain)) {
        decimalText(value) = QLatin1StringView(plain);
        return;
    }
    char ungrouped[256]; // a field is at most 255 bytes wide
    const QByteArrayView text = withoutGrouping(trimmed(bytes), ungrouped);
    // FoxPro 2.x and dBASE IV write an empty field with decimals as blanks around its point.
    if (text.isEmpty() || text.front() == '*' || text == QByteArrayView(".")) {
        value = {};
        return;
    }
    qsizetype pos = 0;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-')
        negative = text[pos++] == '-';
    char digits[256]; // a field is at most 255 bytes wide
    qsizetype count = 0;
    qsizetype point = -1;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (isDigit(c))
            digits[count++] = c;
        else if ((c == '.' || c == ',') && point < 0)
            point = count;
        else
            break;
    }
    if (count == 0)
        invalid("number", bytes);
    int exponent = 0;
    if (pos < text.size()) {
        if (text[pos] != 'e' && text[pos] != 'E')
            invalid("number", bytes);
        exponent = exponentOf(text.sliced(pos + 1), bytes);
    }
    plainDecimal(negative, QByteArrayView(digits, count), (point < 0 ? count : point) + exponent,
                 decimalText(value));
}

// One pass over the bytes, as the look-ahead counts the digits of every number of a table.
std::optional<DecimalDigits> plainNumberDigits(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end && (*p == ' ' || *p == '\0'))
        ++p;
    while (end > p && (end[-1] == ' ' || end[-1] == '\0'))
        --end;
    if (p == end || *p == '*' || (end - p == 1 && *p == '.'))
        return DecimalDigits{}; // NULL, as numericValue() reads it
    const bool negative = *p == '-';
    if (negative || *p == '+')
        ++p;
    const char* const start = p;
    while (p < end && *p == '0')
        ++p;
    const char* const significant = p;
    while (p < end && isDigit(*p))
        ++p;
    const char* const point = p;
    qsizetype significantFraction = 0; // up to the fraction's last digit other than 0
    if (p < end) {
        if (*p != '.' && *p != ',')
            return std::nullopt;
        for (++p; p < end; ++p) {
            if (!isDigit(*p))
                return std::nullopt;
            if (*p != '0')
                significantFraction = p - point;
        }
    }
    const qsizetype fraction = point < end ? end - point - 1 : 0;
    if (point - start + fraction == 0)
        return std::nullopt; // no digit at all
    const auto integer = int(point - significant);
    // The plain text keeps one zero before the point, and the fraction's digits as stored.
    const qsizetype length = (negative ? 1 : 0) + std::max(integer, 1) + (fraction > 0 ? 1 + fraction : 0);
    return DecimalDigits{integer, int(significantFraction), int(length)};
}

void dateValue(QByteArrayView bytes, Value& value)
{
    if (bytes.size() == 8 && std::all_of(bytes.begin(), bytes.end(), isDigit)) {
        const auto number = [&](int from, int count) {
            int result = 0;
            for (int i = from; i < from + count; ++i)
                result = result * 10 + (bytes[i] - '0');
            return result;
        };
        const int year = number(0, 4);
        const int month = number(4, 2);
        const int day = number(6, 2);
        if (year == 0 && month == 0 && day == 0) {
            value = Value(); // zeros, as some writers leave an empty date
            return;
        }
        const std::optional<qint64> julian = julianDay(year, month, day);
        if (!julian)
            invalid("date", bytes);
        value = QDate::fromJulianDay(*julian);
        return;
    }
    const QByteArrayView text = trimmed(bytes);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c == '0'; }))
        invalid("date", bytes);
    value = Value(); // blank
}

void dateTimeValue(QByteArrayView bytes, Value& value)
{
    const qint64 day = static_cast<qint32>(le32(bytes.data()));
    const qint64 milliseconds = static_cast<qint32>(le32(bytes.data() + 4));
    if (day == 0 || std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == ' '; })) {
        value = Value(); // all NULs or blanks, or no day
        return;
    }
    if (day < FirstJulianDay || day > LastJulianDay || milliseconds < 0 ||
        milliseconds >= MillisecondsPerDay) {
        const QString stored = QStringLiteral("day %1, %2 ms").arg(day).arg(milliseconds);
        throw ValueError{QStringLiteral("date-time (%1) is not valid").arg(stored), stored};
    }
    // From the milliseconds since the epoch, several times faster than through a date and a time;
    // set in place where the value already holds a UTC date-time, which halves that again.
    const qint64 sinceEpoch = (day - JulianDayOfEpoch) * MillisecondsPerDay + milliseconds;
    QDateTime* const held = std::get_if<QDateTime>(&value);
    if (held && held->timeSpec() == Qt::UTC)
        held->setMSecsSinceEpoch(sinceEpoch);
    else
        value = QDateTime::fromMSecsSinceEpoch(sinceEpoch, Qt::UTC);
}

void logicalValue(QByteArrayView bytes, Value& value)
{
    switch (bytes.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        value = true;
        return;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        value = false;
        return;
    case '?':
    case ' ':
    case '\0':
        value = Value();
        return;
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
