#pragma once

class QThreadPool;

// Where work over a whole site runs (search, replace): a pool of its own, as many threads as
// cores, each running below the window's thread in the scheduler. The work keeps every core busy
// and still the window takes its events the moment it has any, instead of waiting its turn
// behind the workers; on an idle machine the workers lose nothing.
namespace SiteWork {

QThreadPool &pool();
// Called first by each task: puts the calling pool thread below the window, once.
void yieldToWindow();

} // namespace SiteWork
