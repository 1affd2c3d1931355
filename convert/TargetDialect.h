#pragma once

#include "convert/TextOut.h"
#include "db/RecordSet.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace db {
class Connection;
}

namespace convert {

// The database the statements are written for, decided once when the target connection opens and
// carried by value into the type mapping and the statement builders. Everything that differs between
// SQL Server and the local SQLite stand-in is asked of this object; nothing else tests which one it is.
//
// SQL Server keeps a varchar value in the code page of its database: a character that code page
// cannot hold is replaced for good, so such text needs national types (NVARCHAR, N'...'). Inside a
// string literal it takes a backslash right before a line break (LF or CR LF) as a line continuation
// and drops both. A database whose collation is a UTF-8 or supplementary-character one, or of version
// 140, refuses TEXT columns (error 4188): there they are VARCHAR(MAX). SQLite keeps any text as it is
// given and knows no such rule.
class TargetDialect
{
public:
    // The code page SQL Server gives a database of its default collation.
    static constexpr int DefaultCodePage = 1252;
    // The code page of SQL Server's UTF-8 collations, which hold every character.
    static constexpr int Utf8CodePage = 65001;

    // A SQL Server database of the collation `collation` (empty: one that takes TEXT columns) whose
    // varchar columns use `codePage`; 0 (a Unicode-only collation) holds ASCII only in varchar, and
    // so does a code page this program does not know.
    static TargetDialect sqlServer(int codePage = DefaultCodePage, QStringView collation = {});
    static TargetDialect sqlite();

    // Asks an open target connection what it is: its driver's DBMS name and, for SQL Server, the
    // name and the code page of the database's collation. A question the target cannot answer leaves
    // SQL Server with the default code page and TEXT columns.
    static TargetDialect ofConnection(db::Connection& connection);

    // The code page SQL Server gives the varchar data of a collation, by its name, for where the
    // server cannot be asked: 65001 for the UTF-8 collations, 0 for the Unicode-only ones, and the
    // Windows code page of its language otherwise (1252 for a name this program does not know).
    static int codePageOfCollation(QStringView collation);

    bool isSqlServer() const { return m_sqlServer; }
    int codePage() const { return m_codePage; }
    // The type of long text where the designed mapping says TEXT: TEXT, or VARCHAR(MAX) where the
    // collation refuses TEXT.
    QString longTextType() const;

    // Whether a plain (varchar) literal keeps every character of `text`.
    bool holdsAll(QStringView text) const;
    // Whether holdsAll() is true of every text a source decodes from `codePage`, whatever its bytes.
    bool holdsEveryCharacterOf(int codePage) const;
    // The bytes of the single-byte code page `codePage` whose character holdsAll() refuses: text
    // decoded from that code page is held whole exactly when it has none of them.
    db::ByteSet bytesRefusedFrom(int codePage) const;
    // Whether NVARCHAR columns and N'...' literals exist to carry text holdsAll() refuses.
    bool hasNationalText() const { return m_sqlServer; }
    // Whether a table's INSERTs are sent several to a round trip: SQL Server runs such a batch statement
    // after statement and reports each one's outcome; the SQLite stand-in runs in this process.
    bool takesBatches() const { return m_sqlServer; }

    // Keys and indexes. SQL Server adds a table's keys as constraints after its rows; the SQLite
    // stand-in cannot add constraints to a table and takes unique indexes instead. SQL Server compares
    // text without trailing blanks, without case unless the collation is a case-sensitive (_CS) or
    // binary (_BIN, _BIN2) one, and without accents where it is accent-insensitive (_AI); a unique key
    // holds one NULL at most (a primary key none). SQLite compares text as it is stored and never
    // counts NULLs as equal.
    bool keysAsUniqueIndexes() const { return !m_sqlServer; }
    bool keyTextIgnoresCase() const { return m_sqlServer && !m_caseSensitive; }
    bool keyTextIgnoresAccents() const { return m_sqlServer && m_accentInsensitive; }
    bool keyTextIgnoresTrailingBlanks() const { return m_sqlServer; }
    bool keyNullsCollide() const { return m_sqlServer; }
    // Whether a column of type `sqlType` can be part of an index: SQL Server indexes no TEXT, NTEXT,
    // IMAGE or (MAX) column.
    bool indexes(QStringView sqlType) const;

    // How a text value is written: its literal pieces, the character a NUL becomes, the operator
    // that joins them.
    QStringView joinOperator() const;
    QStringView nulCharacter(bool national) const;
    // Whether a backslash before a line break must end its literal so the server keeps both.
    bool splitsBackslashBeforeBreak() const { return m_sqlServer; }
    // Text joined from pieces stays within 8000 bytes on SQL Server unless the first operand is of a
    // MAX type: what goes before `text` joined so, when it takes more than 8000 bytes as varchar of
    // the code page (as nvarchar: two bytes a UTF-16 unit). Empty when it fits, and where no such
    // limit exists.
    QStringView joinPrefix(QStringView text, bool national) const;
    // Appends `text` as one hexadecimal literal converted to text, for a value that would need too
    // many joined pieces: SQL Server CAST(0x... AS VARCHAR(MAX)) holding the code page's bytes
    // (NVARCHAR(MAX) holding UTF-16LE when `national`), SQLite CAST(X'...' AS TEXT) holding UTF-8.
    void appendHexText(TextOut& out, QStringView text, bool national) const;

    // The column type of binary data and the literal of a binary value.
    QString binaryType() const;

    // SQL Server's own column types, chosen by the user instead of the designed mapping, and the
    // nearest SQLite types.
    enum class NativeType
    {
        Text,     // VARCHAR(n) / NVARCHAR(n), n the field's width in the database's bytes
        Memo,     // VARCHAR(MAX) / NVARCHAR(MAX)
        Binary,   // VARBINARY(MAX)
        Money,    // MONEY
        Date,     // DATE
        DateTime, // DATETIME2(3): milliseconds as FoxPro stores them
        Bit       // BIT
    };
    // The type text; `width` is the field's width in characters, `national` whether the column needs
    // national text (hasNationalText() and the code page does not hold its values).
    QString nativeType(NativeType type, int width, bool national) const;
    void appendBinary(TextOut& out, const QByteArray& bytes) const;

    // What a column holds, as far as reading it back for a comparison goes.
    enum class ReadBack
    {
        Text,
        Number, // integers and exact decimals
        Money,
        Float,
        Date,
        DateTime,
        Bit,
        Binary
    };
    // The select item that reads the column `name` (bracketed) back as text in a form that does not
    // depend on the server's language: on SQL Server CONVERT(NVARCHAR(MAX), [c], style) with the
    // documented style (float 3: 17 digits, money 2: 4 decimals, date 23: yyyy-mm-dd, date-time
    // 126: yyyy-mm-ddThh:mi:ss.mmm, binary 1: 0x and hex digits); on SQLite the column, and binary
    // data as its hex digits.
    QString readBackItem(const QString& name, ReadBack kind) const;

    friend bool operator==(const TargetDialect& a, const TargetDialect& b)
    {
        return a.m_sqlServer == b.m_sqlServer && a.m_codePage == b.m_codePage &&
               a.m_legacyLobTypes == b.m_legacyLobTypes && a.m_caseSensitive == b.m_caseSensitive &&
               a.m_accentInsensitive == b.m_accentInsensitive;
    }

    // For each character of the Basic Multilingual Plane its bytes in the code page: one byte, or a
    // lead and a trail byte as (lead << 8 | trail); 0 for a character the code page does not hold.
    using Encoding = std::vector<quint16>;

private:
    TargetDialect(bool sqlServer, int codePage, QStringView collation);

    // The bytes of `text` as varchar of the code page; a character it does not hold becomes "?".
    QByteArray varcharBytes(QStringView text) const;

    bool m_sqlServer;
    int m_codePage;
    bool m_legacyLobTypes; // TEXT columns are taken
    bool m_caseSensitive;
    bool m_accentInsensitive;
    // Null when the code page holds every character (UTF-8, and SQLite).
    std::shared_ptr<const Encoding> m_encoding;
};

} // namespace convert
