#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// Every step of the protocol the client takes, with the command text it sends and the reply
// codes that let it go on. Keeping them in one table keeps the rules in one place.
enum class FtpStep {
    Greeting,
    User,
    Password,
    Type,
    System,
    PrintDir,
    ChangeDir,
    ChangeDirUp,
    MakeDir,
    RemoveDir,
    DeleteFile,
    RenameFrom,
    RenameTo,
    Site,
    Features,
    Options,
    ModificationTime,
    AuthTls,
    ProtectionBufferSize,
    DataProtection,
    Port,
    ExtendedPort,
    Passive,
    ExtendedPassive,
    List,
    ListWithHidden,
    MachineList,
    StatusList,
    StatusListWithHidden,
    Retrieve,
    Store,
    PassiveStore,
    EndOfTransfer,
    Quit,
    Abort,
};

// Reply codes with a meaning of their own in the client's logic.
namespace FtpCode {
constexpr int needPassword = 331;
constexpr int transferAborted = 426;
// The answer to ABOR when no data had moved yet: the transfer then owes no reply of its own.
constexpr int nothingToAbort = 225;
// The server is closing the control connection, in answer to whatever was asked.
constexpr int closingConnection = 421;
} // namespace FtpCode

// One row of the table: the step, its command word and the codes it accepts.
struct FtpStepRule
{
    static constexpr std::size_t maxAccepted = 4;

    FtpStep step;
    std::string_view command; // sent as written, followed by the argument, if any
    std::array<int, maxAccepted> accepted;
    std::size_t acceptedCount;

    bool accepts(int code) const;
};

const FtpStepRule &ruleFor(FtpStep step);
