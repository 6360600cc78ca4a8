#pragma once
// For tests that look at a failure's message after the call: keeps the
// message of `status` in *message and answers whether it succeeded.
#include <QString>

#include "core/status.h"

namespace nox
{

inline bool toldStatus(const Status& status, QString* message)
{
    *message = status.message();
    return status.ok();
}

} // namespace nox
