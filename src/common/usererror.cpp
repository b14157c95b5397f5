#include "common/usererror.h"

QString userTextOf(const std::exception &e)
{
    if (const auto *user = dynamic_cast<const UserError *>(&e))
        return user->text();
    return QString::fromUtf8(e.what());
}
