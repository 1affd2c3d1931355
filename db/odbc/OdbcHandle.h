#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace db {
class DbError;
}

namespace db::odbc {

// One ODBC handle (environment, connection or statement), freed when it goes. Every failed call
// throws DbError whose description joins the handle's diagnostic records in order, one per line.
class Handle
{
public:
    // Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment).
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&&) = delete;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }

    // Throws DbError unless `rc` reports success (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA).
    // `call` names the function for the rare failure that leaves no diagnostic record.
    void check(SQLRETURN rc, const char* call) const;

    // The SQLSTATE of the first diagnostic record, or an empty text.
    QString firstState() const;

    // The diagnostic records' messages, in order, one per line.
    QString diagnostics() const;

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// Whether the statement failed because the connection is gone: a diagnostic record of SQLSTATE class
// 08 (such as 08S01), or the driver reports the connection dead.
bool isConnectionLost(const Handle& connection, const Handle& statement);

// Throws ConnectionLost with `error`'s description when isConnectionLost().
void throwIfConnectionLost(const Handle& connection, const Handle& statement, const DbError& error);

// A QString as the wide-character calls take it: UTF-16 without a copy. The text must outlive the call.
inline SQLWCHAR* wide(const QString& text)
{
    return reinterpret_cast<SQLWCHAR*>(
        const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

// The length of `text` in characters as the calls take it; throws DbError when it does not fit.
SQLINTEGER wideLength(const QString& text);

QString fromWide(const SQLWCHAR* text, qsizetype length);

// A driver without wide entry points gets its text from the driver manager converted to the
// multibyte encoding of LC_CTYPE; under the C locale that is ASCII and every other character is
// lost (a Qt application started without LANG keeps that locale). Switch LC_CTYPE to UTF-8 when it
// is not UTF-8 already.
// Called before each connection handle is allocated: the driver manager fixes the conversion of a
// connection from the locale it finds at that moment.
void ensureUtf8Ctype();

} // namespace db::odbc
