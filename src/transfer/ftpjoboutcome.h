#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// How one job of an FtpSession ended: what it returned, or the text to show for its failure.
struct FtpJobOutcome
{
    QVariant result;        // what the job returned; invalid after a failure
    QString error;          // empty on success
    bool cancelled = false; // ended (or never started) because of FtpSession::cancel()

    bool succeeded() const { return error.isEmpty() && !cancelled; }
};

Q_DECLARE_METATYPE(FtpJobOutcome)
