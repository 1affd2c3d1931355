#include "convert/CheckedValue.h"

#include <charconv>
#include <cmath>

namespace convert {

namespace {

using ReadBack = TargetDialect::ReadBack;

// An exponent beyond this is no value a column of ours holds; its plain form would be huge.
constexpr int MaxExponent = 400;

QString shortestFloat(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // -0 too
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
    return QString::fromLatin1(text, end - text);
}

CheckedValue floatText(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return text;
    return shortestFloat(value);
}

CheckedValue numberText(const QString& text)
{
    if (std::optional<QString> number = normalizedDecimal(text))
        return number;
    return text;
}

QString upperHex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace

std::optional<QString> normalizedDecimal(QStringView text)
{
    text = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        negative = text[at++] == u'-';
    QString digits;
    qsizetype point = -1; // digits before the point
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c.isDigit() && c.unicode() < 0x80)
            digits += c;
        else if (c == u'.' && point < 0)
            point = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (point < 0)
        point = digits.size();
    if (at < text.size()) {
        if (text[at] != u'e' && text[at] != u'E')
            return std::nullopt;
        bool ok = false;
        const int exponent = text.mid(at + 1).toInt(&ok);
        if (!ok || std::abs(exponent) > MaxExponent)
            return std::nullopt;
        point += exponent;
    }
    if (point < 0) {
        digits.prepend(QString(-point, u'0'));
        point = 0;
    } else if (point > digits.size()) {
        digits.append(QString(point - digits.size(), u'0'));
    }
    QString whole = digits.left(point);
    QString fraction = digits.mid(point);
    while (whole.size() > 1 && whole.front() == u'0')
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    QString result = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    if (negative && result != QLatin1String("0"))
        result.prepend(u'-');
    return result;
}

ReadBack readBackOf(const QString& sqlType)
{
    const QString type = sqlType.toUpper();
    const auto is = [&](const char* name) { return type.startsWith(QLatin1StringView(name)); };
    if (is("NUMERIC") || is("DECIMAL") || is("INT") || is("SMALLINT") || is("BIGINT") || is("TINYINT"))
        return ReadBack::Number;
    if (is("MONEY") || is("SMALLMONEY"))
        return ReadBack::Money;
    if (is("FLOAT") || is("REAL") || is("DOUBLE"))
        return ReadBack::Float;
    if (is("DATETIME"))
        return ReadBack::DateTime;
    if (is("DATE"))
        return ReadBack::Date;
    if (is("BIT"))
        return ReadBack::Bit;
    if (is("VARBINARY") || is("BINARY") || is("BLOB") || is("IMAGE"))
        return ReadBack::Binary;
    return ReadBack::Text;
}

CheckedValue expectedValue(const db::Value& value, ReadBack kind, const ValueFormat& format)
{
    if (db::isNull(value))
        return std::nullopt;
    if (const auto* bytes = std::get_if<QByteArray>(&value)) {
        if (bytes->isEmpty())
            return std::nullopt;
        return kind == ReadBack::Binary ? upperHex(*bytes) : format.text(value);
    }
    if (const auto* number = std::get_if<double>(&value); number && !std::isfinite(*number))
        return std::nullopt;
    if (const auto* flag = std::get_if<bool>(&value); flag && kind != ReadBack::Text)
        return *flag ? QStringLiteral("1") : QStringLiteral("0");
    const QString text = (kind == ReadBack::Date || kind == ReadBack::DateTime)
                             ? ValueFormat::nativeTypes().text(value)
                             : format.text(value);
    if (text.isEmpty())
        return std::nullopt;
    switch (kind) {
    case ReadBack::Number:
    case ReadBack::Money:
        return numberText(text);
    case ReadBack::Float:
        if (const auto* number = std::get_if<double>(&value))
            return shortestFloat(*number);
        return floatText(text);
    default:
        return text;
    }
}

CheckedValue heldValue(const db::Value& text, ReadBack kind)
{
    const auto* held = std::get_if<QString>(&text);
    if (!held)
        return std::nullopt;
    switch (kind) {
    case ReadBack::Number:
    case ReadBack::Money:
        return numberText(*held);
    case ReadBack::Float:
        return floatText(*held);
    case ReadBack::DateTime: {
        // yyyy-mm-ddThh:mi:ss.mmm; a server may leave out zero milliseconds or write a blank for the T.
        QString dateTime = held->trimmed();
        if (dateTime.size() > 10 && dateTime[10] == u' ')
            dateTime[10] = u'T';
        if (dateTime.size() == 19)
            dateTime += QStringLiteral(".000");
        return dateTime;
    }
    case ReadBack::Binary: {
        QString hex = held->toUpper();
        if (hex.startsWith(QLatin1String("0X")))
            hex.remove(0, 2);
        return hex;
    }
    default:
        return *held;
    }
}

QString shownValue(const CheckedValue& value)
{
    return value ? u'"' + *value + u'"' : QStringLiteral("NULL");
}

} // namespace convert
