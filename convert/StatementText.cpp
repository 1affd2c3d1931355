#include "convert/StatementText.h"

#include "convert/Digits.h"
#include "convert/TypeMapping.h"

#include <charconv>
#include <cmath>
#include <type_traits>

namespace convert {
namespace {

const QChar quote = QLatin1Char('\'');

// The shortest text that reads back as the same double: plain notation for ordinary magnitudes,
// exponent notation below 1e-6 and from 1e21 on, where plain notation would run to hundreds of digits.
void appendDouble(QString& out, double value)
{
    char text[64];
    const double magnitude = std::fabs(value);
    const bool plain = value == 0 || (magnitude >= 1e-6 && magnitude < 1e21);
    const auto end = plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr
                           : std::to_chars(text, text + sizeof text, value).ptr;
    out.append(QLatin1StringView(text, end - text));
}

// Ten-thousandths of the unit as an exact decimal without trailing zeros: 12500 -> "1.25".
void appendCurrency(QString& out, qint64 tenThousandths)
{
    // Whole units by division keeps the sign right for every value, the most negative included.
    if (tenThousandths < 0 && tenThousandths > -10000)
        out.append(QLatin1Char('-'));
    appendSigned(out, tenThousandths / 10000);
    const qint64 remainder = tenThousandths % 10000;
    quint64 fraction = static_cast<quint64>(remainder < 0 ? -remainder : remainder);
    if (fraction == 0)
        return;
    int digits = 4;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    out.append(QLatin1Char('.'));
    appendDigits(out, fraction, digits);
}

void appendHex(QString& out, const QByteArray& bytes)
{
    static constexpr char16_t hexDigits[] = u"0123456789ABCDEF";
    const qsizetype start = out.size();
    out.resize(start + 2 + 2 * bytes.size());
    QChar* at = out.data() + start;
    *at++ = QLatin1Char('0');
    *at++ = QLatin1Char('x');
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *at++ = QChar(hexDigits[b >> 4]);
        *at++ = QChar(hexDigits[b & 0x0F]);
    }
}

// Appends `text` with every `mark` in it written twice.
void appendDoubling(QString& out, QStringView text, QChar mark)
{
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(mark); at >= 0; at = text.indexOf(mark, at + 1)) {
        out.append(text.sliced(from, at + 1 - from));
        out.append(mark);
        from = at + 1;
    }
    out.append(text.sliced(from));
}

void appendNull(QString& out)
{
    out.append(QLatin1StringView("NULL"));
}

} // namespace

ValueFormat::ValueFormat(const QLocale& locale) : m_dates(locale) {}

ValueFormat::ValueFormat(DateFormat dates) : m_dates(std::move(dates)) {}

const ValueFormat& ValueFormat::system()
{
    static const ValueFormat format(QLocale::system());
    return format;
}

QString ValueFormat::text(const db::Value& value) const
{
    QString out;
    appendText(out, value);
    return out;
}

void ValueFormat::appendText(QString& out, const db::Value& value) const
{
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, QString>)
                out.append(v);
            else if constexpr (std::is_same_v<T, qint32>)
                appendSigned(out, v);
            else if constexpr (std::is_same_v<T, double>)
                appendDouble(out, v);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                out.append(v.text);
            else if constexpr (std::is_same_v<T, db::Currency>)
                appendCurrency(out, v.tenThousandths);
            else if constexpr (std::is_same_v<T, QDate>)
                m_dates.appendDate(out, v);
            else if constexpr (std::is_same_v<T, QDateTime>)
                appendDateTime(out, v);
            else if constexpr (std::is_same_v<T, bool>)
                out.append(v ? QLatin1StringView("True") : QLatin1StringView("False"));
            else if constexpr (std::is_same_v<T, QByteArray>)
                appendHex(out, v);
        },
        value);
}

void ValueFormat::appendDateTime(QString& out, const QDateTime& dateTime) const
{
    if (!dateTime.isValid())
        return;
    m_dates.appendDate(out, dateTime.date());
    out.append(QLatin1Char(' '));
    DateFormat::appendTime(out, dateTime.time());
}

void ValueFormat::appendLiteral(QString& out, const db::Value& value) const
{
    if (db::isNull(value)) {
        appendNull(out);
    } else if (const auto* text = std::get_if<QString>(&value)) {
        if (text->isEmpty()) {
            appendNull(out);
            return;
        }
        out.append(quote);
        appendDoubling(out, *text, quote);
        out.append(quote);
    } else if (const auto* bytes = std::get_if<QByteArray>(&value)) {
        appendHex(out, *bytes);
    } else {
        appendQuotedText(out, value);
    }
}

// Numbers, booleans and dates. Their text holds no quote unless the locale's date format has one in
// a literal part; an invalid date's empty text is sent as NULL like any empty value.
void ValueFormat::appendQuotedText(QString& out, const db::Value& value) const
{
    const qsizetype start = out.size();
    out.append(quote);
    appendText(out, value);
    if (out.size() == start + 1) {
        out.truncate(start);
        appendNull(out);
        return;
    }
    if (m_dates.mayHoldQuote() || std::holds_alternative<db::Decimal>(value)) {
        const QString written = out.sliced(start + 1);
        out.truncate(start + 1);
        appendDoubling(out, written, quote);
    }
    out.append(quote);
}

QString bracketedName(const QString& name)
{
    QString out;
    out.reserve(name.size() + 2);
    out.append(QLatin1Char('['));
    appendDoubling(out, name, QLatin1Char(']'));
    out.append(QLatin1Char(']'));
    return out;
}

QString sourceQueryText(const QString& table)
{
    return QStringLiteral("SELECT * FROM `") + table + QLatin1Char('`');
}

QString dropTableText(const QString& table)
{
    return QStringLiteral("DROP TABLE ") + bracketedName(table);
}

QString createTableText(const QString& table, const std::vector<db::Field>& fields)
{
    QString out = QStringLiteral("CREATE TABLE ") + bracketedName(table) + QLatin1Char('(');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(QLatin1Char(','));
        out.append(bracketedName(fields[i].name));
        out.append(QLatin1Char(' '));
        out.append(mapColumnType(fields[i]).sqlType);
    }
    out.append(QLatin1StringView(");"));
    return out;
}

InsertBuilder::InsertBuilder(const QString& table, const ValueFormat& format)
    : m_prefix(QStringLiteral("INSERT INTO ") + bracketedName(table) + QStringLiteral(" VALUES(")),
      m_format(format)
{}

// The row is written into a buffer that keeps its capacity from row to row, and the result is copied
// out at its exact size: a preview may hold millions of these strings.
QString InsertBuilder::text(const std::vector<db::Value>& row)
{
    m_buffer.resize(0);
    m_buffer.append(m_prefix);
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            m_buffer.append(QLatin1StringView(", "));
        m_format.appendLiteral(m_buffer, row[i]);
    }
    m_buffer.append(QLatin1Char(')'));
    return QString(m_buffer.constData(), m_buffer.size());
}

} // namespace convert

QString Main::ReplaceNull(const db::Value& value, const QString& replacement,
                          const convert::ValueFormat& format)
{
    return db::isNull(value) ? replacement : format.text(value);
}
