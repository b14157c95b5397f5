#pragma once

#include <chrono>

// How long a remote-files connection waits for the server before giving up with a time-out
// error: the same limits for every protocol, each using those that apply to it.
struct TransferTimeLimits
{
    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    // For the whole of each reply, from the moment the client starts reading it.
    std::chrono::milliseconds reply{std::chrono::seconds(30)};
    // For the server to connect to the client's data port in active mode (FTP).
    std::chrono::milliseconds dataAccept{std::chrono::seconds(30)};
    // For a transfer on which nothing moves.
    std::chrono::milliseconds dataIdle{std::chrono::seconds(60)};
    // For the answer to ABOR (FTP): a server that does not answer it at once is not going to,
    // and whoever aborts is waiting for control back.
    std::chrono::milliseconds abortReply{std::chrono::seconds(1)};
};
