#pragma once

#include "transfer/ftp/ftperrortext.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/remoteerrors.h"
#include "transfer/transferjobs.h"

// How a command of many files takes one step about one of them: the rule the folder transfers
// and publishing share for a failure, a lost connection and the user's stop.
namespace TransferJobs {

enum class Attempt {
    Done,
    Failed, // noted in the summary; the command may go on
    Stopped,
};

enum class OnFailure {
    GoOn,
    Stop,
};

// One step of a command about one file or folder. The user's stop, or a failure that took the
// connection with it, ends the command there and names the file; any other failure is noted
// and, when the command goes on past failures, only noted.
template<typename Step>
Attempt attempt(FtpJobContext &context,
                Summary &summary,
                const QString &name,
                const QString &failedText,
                OnFailure onFailure,
                Step step)
{
    try {
        step();
        return Attempt::Done;
    } catch (const RemoteCancelled &) {
        summary.cancelled = true;
        summary.interruptedFile = name;
        return Attempt::Stopped;
    } catch (const std::exception &error) {
        // The file is named here, by the name the user knows: a publish sends it under another.
        if (onFailure == OnFailure::Stop || !context.files().isConnected()) {
            summary.interruptedFile = name;
            summary.stopError = ftpErrorText(failedText, error);
            return Attempt::Stopped;
        }
        summary.failed.append(skippedEntry(name, ftpErrorText(QString(), error)));
        return Attempt::Failed;
    }
}

} // namespace TransferJobs
