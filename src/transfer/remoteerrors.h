#pragma once

#include "transfer/servercertificate.h"

#include <stdexcept>

// What the jobs tell apart among the failures of any remote-files implementation. Each
// implementation keeps its own error types (their what() and wording stay its own) and marks
// them with these bases, so a job can react to the user's stop, to a server's refusal of one
// operation and to an untrusted server without knowing which protocol spoke.

// The user's stop: a wait was interrupted, or a progress callback asked to stop.
class RemoteCancelled
{
public:
    virtual ~RemoteCancelled() = default;
};

// The server turned one operation down; the connection stays usable.
class RemoteRefusal
{
public:
    virtual ~RemoteRefusal() = default;
    // It will say the same when asked again (a missing file, no permission), as against a
    // passing trouble (a full disk, a busy server).
    virtual bool permanent() const = 0;
    // It does not know or does not do such an operation at all: it never will on this server.
    virtual bool unsupported() const = 0;
    // It refused a login without encryption because it wants FTPS.
    virtual bool wantsEncryption() const { return false; }
};

// The server's identity (a certificate, a host key) failed the check and the user had not
// accepted it: the connection was closed; the caller may ask and connect again.
class RemoteUntrusted
{
public:
    virtual ~RemoteUntrusted() = default;
    virtual const ServerCertificate &certificate() const = 0;
};

// The stop a job raises itself between its steps.
class RemoteCancelledError : public std::runtime_error, public RemoteCancelled
{
public:
    RemoteCancelledError() : std::runtime_error("The operation was cancelled.") {}
};
