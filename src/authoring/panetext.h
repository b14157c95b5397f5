#pragma once

// The conversions between the pane's text and document text now belong to the open documents;
// kept under this name for the benchmarks that still include it here.
#include "workspace/panetext.h"
