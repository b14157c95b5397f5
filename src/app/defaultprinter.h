#pragma once

#include <memory>

class QPrinter;
class QPrinterInfo;

// The system's default print queue (CUPS through Qt Print Support) as a printer ready for one
// job, printing at the queue's own resolution.
namespace DefaultPrinter {

// Throws UserError when the system has no default printer.
std::unique_ptr<QPrinter> open();
// The same for a given queue; a null queue is "no default printer".
std::unique_ptr<QPrinter> open(const QPrinterInfo &queue);

} // namespace DefaultPrinter
