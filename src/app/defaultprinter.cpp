#include "app/defaultprinter.h"

#include "common/usererror.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace DefaultPrinter {

std::unique_ptr<QPrinter> open()
{
    return open(QPrinterInfo::defaultPrinter());
}

std::unique_ptr<QPrinter> open(const QPrinterInfo &queue)
{
    if (queue.isNull())
        throw UserError(QStringLiteral("通常使うプリンタが設定されていません"));
    return std::make_unique<QPrinter>(queue, QPrinter::HighResolution);
}

} // namespace DefaultPrinter
