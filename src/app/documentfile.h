#pragma once

// Reading and writing documents belong to the open documents and their editors now; kept under
// this name for the benchmarks that still include it here.
#include "authoring/editorfile.h"
#include "workspace/documentfile.h"

namespace DocumentFile {
using EditorFile::load;
} // namespace DocumentFile
