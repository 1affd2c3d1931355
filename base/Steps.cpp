#include "base/Steps.h"

#include "base/Failure.h"
#include "base/UiServices.h"

QString Steps::describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::exception& other) {
        return QString::fromUtf8(other.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void Steps::report(int step, std::exception_ptr error, bool plainly)
{
    ++m_failures;
    if (plainly)
        m_ui.reportPlainly(m_owner, describe(error), m_location, step);
    else
        m_ui.reportFailure(m_owner, describe(error), m_location, step);
}
