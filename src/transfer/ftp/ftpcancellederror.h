#pragma once

#include "transfer/ftp/ftperror.h"
#include "transfer/remoteerrors.h"

// The user stopped the operation: a wait was interrupted, or a progress callback asked to stop.
class FtpCancelledError : public FtpError, public RemoteCancelled
{
public:
    FtpCancelledError() : FtpError("The operation was cancelled.", FtpFault::Cancelled) {}
};
