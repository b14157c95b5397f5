#pragma once

#include "common/usererror.h"

// A browser engine refused an operation: nothing to go back or forward to, or an address it
// cannot load. The text is the engine's own, for the user.
class BrowserEngineError : public UserError
{
public:
    using UserError::UserError;
};
