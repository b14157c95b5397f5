#pragma once

#include <QtGlobal>

// The preview's page is laid out and painted by the browser engine's render process, which
// would otherwise compete on equal terms with the window's thread: on a machine of two cores a
// large page rendering after a tab switch or a pause made keys and switches wait. The render
// process yields instead; it still gets every cycle the window leaves.
namespace RendererPriority {

// Lowers every thread of the process (a niceness belongs to a thread on Linux; threads made
// later inherit it from their maker). Quietly does nothing for a process that has gone.
void lower(qint64 pid);

} // namespace RendererPriority
