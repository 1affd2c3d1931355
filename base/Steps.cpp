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

void Steps::report(int step, std::exception_ptr error)
{
    ++m_failures;
    m_ui.reportFailure(m_owner, describe(error), m_location, step);
}
