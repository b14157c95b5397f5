#pragma once

#include "pagecheck/addressguard.h"

#include <QString>
#include <QUrl>

#include <functional>

// Asks a web server whether one address of an external link is there: HEAD (GET when the server
// refuses HEAD with 405 or 501), a few redirects followed. Each hop's host is resolved first,
// the address judged by the guard, and the connection made to exactly that address, so a name
// that resolves elsewhere the second time cannot lead the check into the user's own network.
// Blocks the calling thread (a worker's), each hop no longer than its limit.
namespace LinkProbe {

struct Limits
{
    int hopMs = 8000;  // resolving, connecting and the server's answer, per hop
    int redirects = 5; // followed at most; one more is a failure
};

enum class Verdict {
    Fine,     // 2xx in the end
    Missing,  // 404 or 410: the page is gone
    Failed,   // another answer, no connection, no such server, a bad certificate …
    TimedOut, // no answer within the limit
    Refused,  // an address the guard does not allow: never asked
    Stopped,  // stopped asks it to give up
};

struct Result
{
    Verdict verdict = Verdict::Failed;
    int status = 0; // the last HTTP status, when one came
    QString reason; // for what is not Fine: what happened, in the user's words
};

Result
probe(const QUrl &url, const AddressGuard &guard, const Limits &limits = {}, const std::function<bool()> &stopped = {});

} // namespace LinkProbe
