#pragma once

#include "convert/TextOut.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <bitset>
#include <memory>

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
// and drops both. SQLite keeps any text as it is given and knows no such rule.
class TargetDialect
{
public:
    // The code page SQL Server gives a database of its default collation.
    static constexpr int DefaultCodePage = 1252;
    // The code page of SQL Server's UTF-8 collations, which hold every character.
    static constexpr int Utf8CodePage = 65001;

    // A SQL Server database whose varchar columns use `codePage`; 0 (a Unicode-only collation) holds
    // ASCII only in varchar, and so does a code page this program does not know.
    static TargetDialect sqlServer(int codePage = DefaultCodePage);
    static TargetDialect sqlite();

    // Asks an open target connection what it is: its driver's DBMS name and, for SQL Server, the
    // code page of the database's collation. A question the target cannot answer leaves SQL Server
    // with the default code page.
    static TargetDialect ofConnection(db::Connection& connection);

    bool isSqlServer() const { return m_sqlServer; }
    int codePage() const { return m_codePage; }

    // Whether a plain (varchar) literal keeps every character of `text`.
    bool holdsAll(QStringView text) const;
    // Whether NVARCHAR columns and N'...' literals exist to carry text holdsAll() refuses.
    bool hasNationalText() const { return m_sqlServer; }
    // Whether a table's INSERTs are sent several to a round trip: SQL Server runs such a batch statement
    // after statement and reports each one's outcome; the SQLite stand-in runs in this process.
    bool takesBatches() const { return m_sqlServer; }

    // How a text value is written: its literal pieces, the character a NUL becomes, the operator
    // that joins them.
    QStringView joinOperator() const;
    QStringView nulCharacter(bool national) const;
    // Whether a backslash before a line break must end its literal so the server keeps both.
    bool splitsBackslashBeforeBreak() const { return m_sqlServer; }
    // Text joined from pieces of up to 8000 bytes stays that short on SQL Server unless the first
    // operand is a MAX type: put before a long joined value. Empty when no such limit exists.
    QStringView longJoinPrefix(bool national) const;

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

    friend bool operator==(const TargetDialect& a, const TargetDialect& b)
    {
        return a.m_sqlServer == b.m_sqlServer && a.m_codePage == b.m_codePage;
    }

private:
    using Repertoire = std::bitset<0x10000>;

    TargetDialect(bool sqlServer, int codePage);

    bool m_sqlServer;
    int m_codePage;
    // The characters of the Basic Multilingual Plane that the code page holds; null when it holds
    // every character (UTF-8, and SQLite).
    std::shared_ptr<const Repertoire> m_repertoire;
};

} // namespace convert
