#include "ui/failurereport.h"

#include "store/storeerror.h"

#include <exception>

namespace FailureReport {

void Guarded(const std::function<void()> &handling, const std::function<void(const QString &text)> &report)
{
    try {
        handling();
    } catch (const StoreError &error) {
        report(error.message());
    } catch (const std::exception &error) {
        report(QString::fromLocal8Bit(error.what()));
    }
}

}
