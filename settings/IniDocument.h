#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The lines of an INI file, edited in place: a value is read from its line and written back into
// that line, and every other line (comments, other sections, lines written by hand) keeps its bytes.
//
// Spelling, shared with files that earlier versions of the program wrote through Qt's INI format:
// - sections "[name]", then "key=value" lines; a line starting with ';' is a comment;
// - in key and section names, letters, digits, '_', '-' and '.' stand for themselves, '/' is written
//   '\', and any other character %XX (Latin-1) or %UXXXX, so "MSSQL Server" is "MSSQL%20Server";
// - a value is UTF-8 text up to the end of its line. Backslash escapes (\\, \", \r, \n, \t, \0,
//   \xHH, ...) stand for their characters. A value enclosed in double quotes as a whole is the text
//   between them; any other value is read as it stands, commas, blanks and lone quotes included.
//   Written values are quoted when they hold ';', ',' or '=' or start or end with a blank, and a
//   leading '@' is doubled, so Qt's reader takes them for one plain text.
// When a key occurs more than once, the last occurrence counts.
class IniDocument
{
public:
    explicit IniDocument(const QByteArray& text);

    // The value text of `key` in `section` as the file spells it, or nothing when absent.
    std::optional<QByteArray> rawValue(const QString& section, const QString& key) const;
    // Replaces the value of `key` in `section`, adding the key, and the section, when missing.
    void setRawValue(const QString& section, const QString& key, const QByteArray& raw);

    QByteArray text() const;

    // The text a value spells, or nothing when it is not valid UTF-8.
    static std::optional<QString> decodeValue(const QByteArray& raw);
    // How a value is spelled in the file.
    static QByteArray encodeValue(const QString& value);
    // How a key or section name is spelled in the file.
    static QByteArray encodeName(const QString& name);
    static QString decodeName(const QByteArray& spelled);

private:
    struct Found
    {
        qsizetype keyLine = -1;     // the key's last line
        qsizetype sectionLast = -1; // the last key line (or the header) of the section's last block
    };
    Found find(const QString& section, const QString& key) const;
    QByteArray lineEnd() const;

    QList<QByteArray> m_lines; // without their '\n'; a '\r' before it stays on the line
    bool m_endsWithNewline = true;
};
