#include "settings/IniDocument.h"

#include <QStringDecoder>

namespace {

bool isNameCharacter(char16_t ch)
{
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
           ch == u'_' || ch == u'-' || ch == u'.';
}

int hexValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The number spelled by up to `maxDigits` digits of `base` at `text[pos]`, moving `pos` past them;
// -1 when there is none.
int readDigits(const QString& text, qsizetype& pos, int base, int maxDigits)
{
    int value = -1;
    for (int n = 0; n < maxDigits && pos < text.size(); ++n, ++pos) {
        const int digit = hexValue(text.at(pos));
        if (digit < 0 || digit >= base)
            break;
        value = (value < 0 ? 0 : value * base) + digit;
    }
    return value;
}

// Characters written as a backslash and a letter.
struct Escape
{
    char16_t character;
    char letter;
};
constexpr Escape escapes[] = {{u'\a', 'a'}, {u'\b', 'b'}, {u'\f', 'f'}, {u'\n', 'n'}, {u'\r', 'r'},
                              {u'\t', 't'}, {u'\v', 'v'}, {u'"', '"'},  {u'\\', '\\'}};

// The letter that follows the backslash when `c` is written as an escape, or 0.
char escapeLetter(char16_t c)
{
    for (const Escape& escape : escapes) {
        if (escape.character == c)
            return escape.letter;
    }
    return 0;
}

// The character a backslash and `letter` stand for, or a null character when they are no escape
// (the backslash then stands for itself).
QChar escapedCharacter(QChar letter)
{
    for (const Escape& escape : escapes) {
        if (QLatin1Char(escape.letter) == letter)
            return QChar(escape.character);
    }
    return QChar();
}

QString unescaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text.at(i++);
        if (ch != u'\\' || i == text.size()) {
            result += ch;
            continue;
        }
        const QChar letter = text.at(i);
        qsizetype pos = i + 1;
        int code = -1;
        if (letter == u'x')
            code = readDigits(text, pos, 16, 4);
        else if (letter >= u'0' && letter <= u'7')
            code = readDigits(text, --pos, 8, 3);
        if (code >= 0) {
            result += QChar(char16_t(code));
            i = pos;
        } else if (const QChar plain = escapedCharacter(letter); !plain.isNull()) {
            result += plain;
            ++i;
        } else {
            result += ch;
        }
    }
    return result;
}

// Whether the whole value is one quoted text: it starts and ends with a quote and holds no other
// quote that is not escaped.
bool isQuotedWhole(const QString& text)
{
    if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"'))
        return false;
    const qsizetype closing = text.size() - 1;
    for (qsizetype i = 1; i < closing; ++i) {
        if (text.at(i) == u'"')
            return false;
        if (text.at(i) == u'\\' && ++i == closing)
            return false; // the closing quote is escaped
    }
    return true;
}

QByteArray withoutCarriageReturn(const QByteArray& line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

} // namespace

IniDocument::IniDocument(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    m_lines = text.split('\n');
    m_endsWithNewline = text.endsWith('\n');
    if (m_endsWithNewline)
        m_lines.removeLast();
}

QByteArray IniDocument::text() const
{
    QByteArray result = m_lines.join('\n');
    if (!m_lines.isEmpty() && m_endsWithNewline)
        result += '\n';
    return result;
}

QByteArray IniDocument::lineEnd() const
{
    return !m_lines.isEmpty() && m_lines.first().endsWith('\r') ? QByteArrayLiteral("\r") : QByteArray();
}

IniDocument::Found IniDocument::find(const QString& section, const QString& key) const
{
    Found found;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray line = withoutCarriageReturn(m_lines.at(i)).trimmed();
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            inSection = decodeName(line.mid(1, close < 0 ? -1 : close - 1).trimmed()) == section;
            if (inSection)
                found.sectionLast = i;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSection || line.startsWith(';') || equals < 0)
            continue;
        found.sectionLast = i;
        if (decodeName(line.left(equals).trimmed()) == key)
            found.keyLine = i;
    }
    return found;
}

std::optional<QByteArray> IniDocument::rawValue(const QString& section, const QString& key) const
{
    const qsizetype line = find(section, key).keyLine;
    if (line < 0)
        return std::nullopt;
    const QByteArray text = withoutCarriageReturn(m_lines.at(line));
    return text.mid(text.indexOf('=') + 1);
}

void IniDocument::setRawValue(const QString& section, const QString& key, const QByteArray& raw)
{
    const Found found = find(section, key);
    const QByteArray line = encodeName(key) + '=' + raw + lineEnd();
    if (found.keyLine >= 0) {
        m_lines[found.keyLine] = line;
    } else if (found.sectionLast >= 0) {
        m_lines.insert(found.sectionLast + 1, line);
    } else {
        if (!m_lines.isEmpty() && !withoutCarriageReturn(m_lines.last()).trimmed().isEmpty())
            m_lines.append(lineEnd());
        m_lines.append('[' + encodeName(section) + ']' + lineEnd());
        m_lines.append(line);
        m_endsWithNewline = true;
    }
}

std::optional<QString> IniDocument::decodeValue(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError())
        return std::nullopt;
    if (const QString inner = text.trimmed(); isQuotedWhole(inner))
        text = inner.sliced(1, inner.size() - 2);
    text = unescaped(text);
    if (text.startsWith(QLatin1String("@@")))
        return text.sliced(1);
    if (text.startsWith(QLatin1String("@String(")) && text.endsWith(u')'))
        return text.sliced(8, text.size() - 9);
    return text;
}

QByteArray IniDocument::encodeValue(const QString& value)
{
    QString text = value;
    if (text.contains(QChar(u'\0')))
        text = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@'))
        text.prepend(u'@');

    QString result;
    bool needsQuotes = false;
    bool escapeHexDigit = false; // after "\0" or "\xHH" a hex digit must be escaped too
    for (const QChar ch : std::as_const(text)) {
        const char16_t c = ch.unicode();
        needsQuotes = needsQuotes || c == u';' || c == u',' || c == u'=';
        if (escapeHexDigit && hexValue(ch) >= 0) {
            result += QStringLiteral("\\x") + QString::number(c, 16);
            continue;
        }
        escapeHexDigit = false;
        if (c == u'\0') {
            result += QStringLiteral("\\0");
            escapeHexDigit = true;
        } else if (const char letter = escapeLetter(c)) {
            result += u'\\';
            result += QLatin1Char(letter);
        } else if (c <= 0x1F) {
            result += QStringLiteral("\\x") + QString::number(c, 16);
            escapeHexDigit = true;
        } else {
            result += ch;
        }
    }
    if (needsQuotes || result.startsWith(u' ') || result.endsWith(u' '))
        result = u'"' + result + u'"';
    return result.toUtf8();
}

QByteArray IniDocument::encodeName(const QString& name)
{
    QByteArray result;
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == u'/')
            result += '\\';
        else if (isNameCharacter(c))
            result += char(c);
        else if (c <= 0xFF)
            result += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        else
            result += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
    return result;
}

QString IniDocument::decodeName(const QByteArray& spelled)
{
    const QString text = QString::fromUtf8(spelled);
    QString result;
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text.at(i++);
        qsizetype pos = i;
        int code = -1;
        if (ch == u'%' && pos < text.size() && text.at(pos) == u'U') {
            ++pos;
            code = readDigits(text, pos, 16, 4);
            code = pos - i == 5 ? code : -1;
        } else if (ch == u'%') {
            code = readDigits(text, pos, 16, 2);
            code = pos - i == 2 ? code : -1;
        }
        if (code >= 0) {
            result += QChar(char16_t(code));
            i = pos;
        } else {
            result += ch == u'\\' ? QChar(u'/') : ch;
        }
    }
    return result;
}
