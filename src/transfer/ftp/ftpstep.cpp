#include "transfer/ftp/ftpstep.h"

#include <algorithm>

namespace {

// The command words are sent exactly as written here, letter case included: servers have
// long seen this client's "user " and "retr " and its "STOR ".
constexpr std::array rules{
    FtpStepRule{FtpStep::Greeting, "", {220}, 1},
    FtpStepRule{FtpStep::User, "user ", {230, 331}, 2},
    FtpStepRule{FtpStep::Password, "pass ", {230}, 1},
    FtpStepRule{FtpStep::Type, "type ", {200}, 1},
    FtpStepRule{FtpStep::System, "syst", {200, 215, 500}, 3},
    FtpStepRule{FtpStep::PrintDir, "PWD", {257}, 1},
    FtpStepRule{FtpStep::ChangeDir, "CWD ", {250}, 1},
    FtpStepRule{FtpStep::ChangeDirUp, "CDUP", {250}, 1},
    FtpStepRule{FtpStep::MakeDir, "MKD ", {257}, 1},
    FtpStepRule{FtpStep::RemoveDir, "RMD ", {250}, 1},
    FtpStepRule{FtpStep::DeleteFile, "DELE ", {250}, 1},
    FtpStepRule{FtpStep::RenameFrom, "RNFR ", {350}, 1},
    FtpStepRule{FtpStep::RenameTo, "RNTO ", {250}, 1},
    FtpStepRule{FtpStep::Site, "SITE ", {200}, 1},
    FtpStepRule{FtpStep::Features, "FEAT", {211}, 1},
    FtpStepRule{FtpStep::Options, "OPTS ", {200}, 1},
    FtpStepRule{FtpStep::ModificationTime, "MDTM ", {213}, 1},
    FtpStepRule{FtpStep::AuthTls, "AUTH TLS", {234}, 1},
    FtpStepRule{FtpStep::ProtectionBufferSize, "PBSZ 0", {200}, 1},
    FtpStepRule{FtpStep::DataProtection, "PROT P", {200}, 1},
    FtpStepRule{FtpStep::Port, "PORT ", {200}, 1},
    FtpStepRule{FtpStep::ExtendedPort, "EPRT ", {200}, 1},
    FtpStepRule{FtpStep::Passive, "PASV", {227}, 1},
    FtpStepRule{FtpStep::ExtendedPassive, "EPSV", {229}, 1},
    FtpStepRule{FtpStep::List, "list ", {125, 150}, 2},
    // ls's own option for names that start with a dot, which many servers leave out otherwise.
    FtpStepRule{FtpStep::ListWithHidden, "list -a ", {125, 150}, 2},
    FtpStepRule{FtpStep::MachineList, "MLSD ", {125, 150}, 2},
    // A folder's listing in the reply itself, without a data connection (RFC 959's STAT with a
    // path): servers answer 211, 212 or 213.
    FtpStepRule{FtpStep::StatusList, "STAT ", {211, 212, 213}, 3},
    FtpStepRule{FtpStep::StatusListWithHidden, "STAT -a ", {211, 212, 213}, 3},
    FtpStepRule{FtpStep::Retrieve, "retr ", {125, 150}, 2},
    FtpStepRule{FtpStep::Store, "STOR ", {125, 150}, 2},
    FtpStepRule{FtpStep::PassiveStore, "STOR ", {110, 125, 150}, 3},
    FtpStepRule{FtpStep::EndOfTransfer, "", {225, 226, 250, FtpCode::transferAborted}, 4},
    FtpStepRule{FtpStep::Quit, "Quit", {}, 0},
    FtpStepRule{FtpStep::Abort, "ABOR", {}, 0},
};

} // namespace

bool FtpStepRule::accepts(int code) const
{
    const auto end = accepted.begin() + static_cast<std::ptrdiff_t>(acceptedCount);
    return std::find(accepted.begin(), end, code) != end;
}

const FtpStepRule &ruleFor(FtpStep step)
{
    return *std::find_if(rules.begin(), rules.end(), [step](const FtpStepRule &rule) { return rule.step == step; });
}
