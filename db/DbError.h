#pragma once

#include "base/Failure.h"

namespace db {

// A failed database operation: the provider's or driver's own description, and a non-zero number.
class DbError : public Failure
{
public:
    // The number a provider reports for an unspecified failure (E_FAIL).
    static constexpr int UnspecifiedError = -2147467259;

    explicit DbError(QString description, int number = UnspecifiedError)
        : Failure(number, std::move(description))
    {}
};

// The connection itself is gone (the server went away or the link broke): nothing more can be sent on
// it, so whoever sends a list of statements stops rather than failing each of the rest.
class ConnectionLost : public DbError
{
public:
    using DbError::DbError;
};

} // namespace db
