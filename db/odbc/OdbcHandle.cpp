#include "db/odbc/OdbcHandle.h"

#include "db/DbError.h"

#include <QStringList>

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <limits>
#include <utility>
#include <vector>

namespace db::odbc {

namespace {

bool anyStateOfClass(SQLSMALLINT type, SQLHANDLE handle, QStringView stateClass)
{
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, nullptr, 0, &length)))
            return false;
        if (fromWide(state, 5).startsWith(stateClass))
            return true;
    }
}

QString diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle)
{
    QStringList messages;
    std::vector<SQLWCHAR> buffer(512);
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, buffer.data(),
                                      static_cast<SQLSMALLINT>(buffer.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(length) + 1);
            rc = SQLGetDiagRecW(type, handle, record, state, &native, buffer.data(),
                                static_cast<SQLSMALLINT>(buffer.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        messages << fromWide(buffer.data(), std::min<qsizetype>(length, qsizetype(buffer.size()) - 1));
    }
    return messages.join(QLatin1Char('\n'));
}

} // namespace

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (SQL_SUCCEEDED(rc))
        return;
    m_handle = SQL_NULL_HANDLE;
    // The reason, if any, is recorded on the parent handle.
    QString text;
    if (parent != SQL_NULL_HANDLE)
        text = diagnosticsOf(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent);
    throw DbError(text.isEmpty() ? QStringLiteral("The ODBC driver manager could not allocate a handle.")
                                 : text);
}

Handle::~Handle()
{
    if (m_handle != SQL_NULL_HANDLE)
        SQLFreeHandle(m_type, m_handle);
}

Handle::Handle(Handle&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr))
{}

void Handle::check(SQLRETURN rc, const char* call) const
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    QString text = diagnostics();
    if (text.isEmpty())
        text = QStringLiteral("%1 failed (return code %2) without a diagnostic record.")
                   .arg(QString::fromLatin1(call))
                   .arg(rc);
    throw DbError(text);
}

QString Handle::firstState() const
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(m_type, m_handle, 1, state, &native, nullptr, 0, &length)))
        return {};
    return fromWide(state, 5);
}

QString Handle::diagnostics() const
{
    return diagnosticsOf(m_type, m_handle);
}

bool isConnectionLost(const Handle& connection, const Handle& statement)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    const bool reportedDead =
        SQL_SUCCEEDED(SQLGetConnectAttrW(connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
        dead == SQL_CD_TRUE;
    return reportedDead || anyStateOfClass(statement.type(), statement.get(), u"08");
}

void throwIfConnectionLost(const Handle& connection, const Handle& statement, const DbError& error)
{
    if (isConnectionLost(connection, statement))
        throw ConnectionLost(error.description(), error.number());
}

SQLINTEGER wideLength(const QString& text)
{
    if (text.size() > std::numeric_limits<SQLINTEGER>::max())
        throw DbError(QStringLiteral("The SQL text is too long to send (%1 characters).").arg(text.size()));
    return static_cast<SQLINTEGER>(text.size());
}

QString fromWide(const SQLWCHAR* text, qsizetype length)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must use UTF-16 wide characters");
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

void ensureUtf8Ctype()
{
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return;
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "C.utf8");
}

} // namespace db::odbc
