#include "convert/StatementText.h"

#include "convert/TypeMapping.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <type_traits>

namespace convert {
namespace {

constexpr char16_t quote = u'\'';

// The shortest text that reads back as the same double: plain notation for ordinary magnitudes,
// exponent notation below 1e-6 and from 1e21 on, where plain notation would run to hundreds of digits.
void appendNumber(TextOut& out, double value)
{
    char text[64];
    const double magnitude = std::fabs(value);
    const bool plain = value == 0 || (magnitude >= 1e-6 && magnitude < 1e21);
    const auto end = plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr
                           : std::to_chars(text, text + sizeof text, value).ptr;
    appendAscii(out, std::string_view(text, static_cast<std::size_t>(end - text)));
}

// Ten-thousandths of the unit as an exact decimal without trailing zeros: 12500 -> "1.25". Written
// into a buffer of its own, then appended in one go.
void appendCurrency(TextOut& out, qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    // The magnitude in unsigned arithmetic keeps the most negative value right.
    const quint64 magnitude = negative ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    char16_t text[24]; // "-922337203685477.5808" at most
    char16_t* const point = text + 17;
    char16_t* at = writeDigitsBefore(point, magnitude / 10000);
    if (negative)
        *--at = u'-';
    char16_t* end = point;
    if (const auto fraction = quint32(magnitude % 10000); fraction != 0) {
        *point = u'.';
        end = writePair(writePair(point + 1, fraction / 100), fraction % 100);
        while (end[-1] == u'0')
            --end;
    }
    out.append(at, std::size_t(end - at));
}

void appendNumber(TextOut& out, qint32 value)
{
    appendSigned(out, value);
}

void appendNumber(TextOut& out, db::Currency value)
{
    appendCurrency(out, value.tenThousandths);
}

// No bytes are the empty text, which an INSERT sends as NULL like every empty value.
void appendHex(TextOut& out, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    appendAscii(out, "0x");
    appendHexDigits(out, bytes);
}

// Appends `text` with every `mark` in it written twice.
void appendDoubling(TextOut& out, QStringView text, char16_t mark)
{
    const char16_t* from = text.utf16();
    const char16_t* const end = from + text.size();
    for (const char16_t* at = std::find(from, end, mark); at != end; at = std::find(from, end, mark)) {
        out.append(from, static_cast<std::size_t>(at + 1 - from));
        out.push_back(mark);
        from = at + 1;
    }
    out.append(from, static_cast<std::size_t>(end - from));
}

// The most pieces a value is joined from: a long chain of joins is refused by the server (nested too
// deeply) and by SQLite (an expression tree deeper than 1000).
constexpr int MaxJoinedPieces = 32;

// Whether the backslash at `at` comes right before a line break, LF or CR LF.
bool beforeBreak(const char16_t* at, const char16_t* end)
{
    return at + 1 != end && (at[1] == u'\n' || (at[1] == u'\r' && at + 2 != end && at[2] == u'\n'));
}

// Where the literal that starts at `from` must end: at a NUL (not included), or after a backslash
// that precedes a line break when the dialect drops such pairs; `end` when neither comes.
const char16_t* literalEnd(const char16_t* from, const char16_t* end, bool splitBreaks)
{
    for (const char16_t* at = from; at != end; ++at) {
        if (*at == 0)
            return at;
        if (*at == u'\\' && splitBreaks && beforeBreak(at, end))
            return at + 1;
    }
    return end;
}

void appendQuoted(TextOut& out, QStringView text, bool national)
{
    if (national)
        out.push_back(u'N');
    out.push_back(quote);
    appendDoubling(out, text, quote);
    out.push_back(quote);
}

void appendNull(TextOut& out)
{
    appendAscii(out, "NULL");
}

void appendBracketed(TextOut& out, const QString& name)
{
    out.push_back(u'[');
    appendDoubling(out, name, u']');
    out.push_back(u']');
}

// `before`, the bracketed name and `after`.
TextOut bracketed(QStringView before, const QString& name, QStringView after)
{
    TextOut out;
    out += before;
    appendBracketed(out, name);
    out += after;
    return out;
}

// Characters are looked at this many at a time where none needs a second look, in a loop the
// compiler turns into a few vector instructions; a block that holds one is looked at by halves.
constexpr std::ptrdiff_t Block = 16;
constexpr std::ptrdiff_t HalfBlock = Block / 2;

// Whether any of the `Width` characters at `at` is a quote, a NUL or `backslash`.
template <std::ptrdiff_t Width = Block> bool blockHoldsSpecial(const char16_t* at, char16_t backslash)
{
    std::uint16_t special = 0;
    for (std::ptrdiff_t k = 0; k < Width; ++k)
        special |=
            std::uint16_t(at[k] == quote) | std::uint16_t(at[k] == 0) | std::uint16_t(at[k] == backslash);
    return special != 0;
}

// Appends `text` as one literal in a single pass over it, quotes doubled, and returns true; or appends
// nothing and returns false when the text holds what one literal cannot carry (see literalEnd).
bool appendPlainLiteral(TextOut& out, QStringView text, bool national, bool splitBreaks)
{
    const std::size_t start = out.size();
    if (national)
        out.push_back(u'N');
    out.push_back(quote);
    // Without split breaks a backslash needs no look: a quote stands in for it.
    const char16_t backslash = splitBreaks ? u'\\' : quote;
    const char16_t* from = text.utf16();
    const char16_t* const end = from + text.size();
    for (;;) {
        const char16_t* at = from;
        while (end - at >= Block && !blockHoldsSpecial(at, backslash))
            at += Block;
        // Fewer than Block left: the last Block characters, some of them already looked at, in one go.
        if (end - at < Block && end - from >= Block && !blockHoldsSpecial(end - Block, backslash))
            at = end;
        if (end - at >= HalfBlock && !blockHoldsSpecial<HalfBlock>(at, backslash))
            at += HalfBlock;
        while (at != end && *at != quote && *at != 0 && *at != backslash)
            ++at;
        out.append(from, static_cast<std::size_t>(at - from));
        if (at == end)
            break;
        if (*at == 0 || (*at == u'\\' && beforeBreak(at, end))) {
            out.truncate(start);
            return false;
        }
        out.push_back(*at);
        if (*at == quote)
            out.push_back(quote);
        from = at + 1;
    }
    out.push_back(quote);
    return true;
}

// Appends what `write` writes between quotes, every quote in it doubled when `mayHoldQuote` (a date
// format with a quote in a literal part); NULL when it writes nothing, as for an invalid date.
template <typename Write> void appendQuotedBy(TextOut& out, bool mayHoldQuote, const Write& write)
{
    const std::size_t start = out.size();
    out.push_back(quote);
    if (mayHoldQuote) {
        TextOut written;
        write(written);
        appendDoubling(out, written.view(), quote);
    } else {
        write(out);
    }
    if (out.size() == start + 1) {
        out.truncate(start);
        appendNull(out);
        return;
    }
    out.push_back(quote);
}

} // namespace

void appendTextLiteral(TextOut& out, QStringView text, bool national, const TargetDialect& dialect)
{
    const bool splitBreaks = dialect.splitsBackslashBeforeBreak();
    if (appendPlainLiteral(out, text, national, splitBreaks))
        return;
    const char16_t* from = text.utf16();
    const char16_t* const end = from + text.size();
    const std::size_t start = out.size();
    appendView(out, dialect.joinPrefix(text, national));
    for (int pieces = 0; from != end; ++pieces) {
        if (pieces == MaxJoinedPieces) {
            out.truncate(start);
            dialect.appendHexText(out, text, national);
            return;
        }
        if (pieces > 0)
            appendView(out, dialect.joinOperator());
        if (*from == 0) {
            appendView(out, dialect.nulCharacter(national));
            ++from;
            continue;
        }
        const char16_t* const cut = literalEnd(from, end, splitBreaks);
        appendQuoted(out, QStringView(from, cut), national);
        from = cut;
    }
}

ValueFormat::ValueFormat(const QLocale& locale) : m_dates(locale) {}

ValueFormat::ValueFormat(DateFormat dates) : m_dates(std::move(dates)) {}

const ValueFormat& ValueFormat::nativeTypes()
{
    static const ValueFormat format = [] {
        ValueFormat iso(DateFormat::iso8601());
        iso.m_bitNumbers = true;
        return iso;
    }();
    return format;
}

const ValueFormat& ValueFormat::system()
{
    static const ValueFormat format(QLocale::system());
    return format;
}

QString ValueFormat::text(const db::Value& value) const
{
    TextOut out;
    appendText(out, value);
    return toQString(out);
}

void ValueFormat::appendText(TextOut& out, const db::Value& value) const
{
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, QString>)
                appendView(out, v);
            else if constexpr (std::is_same_v<T, qint32> || std::is_same_v<T, double> ||
                               std::is_same_v<T, db::Currency>)
                appendNumber(out, v);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                appendView(out, v.text);
            else if constexpr (std::is_same_v<T, QDate>)
                m_dates.appendDate(out, v);
            else if constexpr (std::is_same_v<T, QDateTime>)
                m_dates.appendDateTime(out, v);
            else if constexpr (std::is_same_v<T, bool>)
                appendAscii(out, v ? "True" : "False");
            else if constexpr (std::is_same_v<T, QByteArray>)
                appendHex(out, v);
        },
        value);
}

// One loop over the row with the dispatch on each value's type inside it, rather than a call per value.
void ValueFormat::appendLiterals(TextOut& out, const std::vector<db::Value>& row,
                                 const std::vector<char>& nationals, const TargetDialect& dialect) const
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            appendAscii(out, ", ");
        const bool national = i < nationals.size() && nationals[i] != 0;
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    appendNull(out);
                } else if constexpr (std::is_same_v<T, QString>) {
                    if (v.isEmpty())
                        appendNull(out);
                    else
                        appendTextLiteral(out, v, national, dialect);
                } else if constexpr (std::is_same_v<T, QByteArray>) {
                    if (v.isEmpty())
                        appendNull(out);
                    else
                        dialect.appendBinary(out, v);
                } else if constexpr (std::is_same_v<T, bool>) {
                    if (m_bitNumbers)
                        out.push_back(v ? u'1' : u'0');
                    else
                        appendAscii(out, v ? "'True'" : "'False'");
                } else if constexpr (std::is_same_v<T, db::Decimal>) {
                    // A decimal read from a damaged file may carry a quote.
                    appendQuotedBy(out, false, [&](TextOut& to) { appendDoubling(to, v.text, quote); });
                } else if constexpr (std::is_same_v<T, QDate>) {
                    appendQuotedBy(out, m_dates.mayHoldQuote(),
                                   [&](TextOut& to) { m_dates.appendDate(to, v); });
                } else if constexpr (std::is_same_v<T, QDateTime>) {
                    appendQuotedBy(out, m_dates.mayHoldQuote(),
                                   [&](TextOut& to) { m_dates.appendDateTime(to, v); });
                } else {
                    appendQuotedBy(out, false, [&](TextOut& to) { appendNumber(to, v); });
                }
            },
            row[i]);
    }
}

QString sourceQueryText(const QString& table)
{
    return QStringLiteral("SELECT * FROM `") + table + QLatin1Char('`');
}

QString bracketedName(const QString& name)
{
    return toQString(bracketed({}, name, {}));
}

QString dropTableText(const QString& table)
{
    return toQString(bracketed(u"DROP TABLE ", table, {}));
}

QString createTableText(const QString& table, const std::vector<db::Field>& fields,
                        const TargetDialect& dialect, const TableFacts& facts, ColumnTypes types)
{
    TextOut out = bracketed(u"CREATE TABLE ", table, u"(");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(u',');
        appendBracketed(out, fields[i].name);
        out.push_back(u' ');
        appendView(
            out,
            mapColumnType(fields[i], dialect, i < facts.size() ? facts[i] : ColumnFacts(), types).sqlType);
        if (i < facts.size() && facts[i].notNull)
            out += u" NOT NULL";
    }
    out += u");";
    return toQString(out);
}

InsertBuilder::InsertBuilder(const QString& table, const ValueFormat& format, const TargetDialect& dialect,
                             const TableFacts& facts)
    : m_prefix(bracketed(u"INSERT INTO ", table, u" VALUES(")), m_format(format), m_dialect(dialect)
{
    for (const ColumnFacts& column : facts)
        m_national.push_back(column.beyondCodePage && dialect.hasNationalText() ? 1 : 0);
}

// The row is written into a buffer that keeps its capacity from row to row, and the result is copied
// out at its exact size: a preview may hold millions of these strings.
QString InsertBuilder::text(const std::vector<db::Value>& row)
{
    m_buffer.clear();
    append(m_buffer, row);
    return toQString(m_buffer);
}

void InsertBuilder::append(TextOut& out, const std::vector<db::Value>& row) const
{
    out += m_prefix.view();
    m_format.appendLiterals(out, row, m_national, m_dialect);
    out.push_back(u')');
}

} // namespace convert

QString Main::ReplaceNull(const db::Value& value, const QString& replacement,
                          const convert::ValueFormat& format)
{
    return db::isNull(value) ? replacement : format.text(value);
}
