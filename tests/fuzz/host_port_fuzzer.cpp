// The two host:port readers over any text: the ホスト名 field ("host:port") and the address of a
// passive-mode reply ("h1,h2,h3,h4,p1,p2"). Each either refuses the text with its own error or
// gives an address that, written out again, reads back the same.
#include "common/usererror.h"
#include "fuzz/fuzzcheck.h"
#include "transfer/ftp/ftphostport.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftpaddress.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void checkHostField(const QString &text)
{
    FtpAddress address;
    try {
        address = FtpAddress::parse(text);
    } catch (const UserError &error) {
        FUZZ_CHECK(!error.text().isEmpty());
        return;
    }
    FUZZ_CHECK(address.port >= 1);
    FUZZ_CHECK(text.contains(address.host));
    if (!text.contains(QLatin1Char(':')))
        FUZZ_CHECK(address.port == 21);
    if (address.host.isEmpty())
        return; // an empty field is the caller's to refuse
    const FtpAddress again = FtpAddress::parse(address.text());
    FUZZ_CHECK(again.host == address.host && again.port == address.port);
}

void checkPassiveReply(const std::string &line)
{
    Ipv4Endpoint endpoint;
    try {
        endpoint = FtpHostPort::parsePassiveReply(line);
    } catch (const FtpProtocolError &error) {
        FUZZ_CHECK(*error.what() != '\0');
        return;
    }
    FUZZ_CHECK(endpoint.port != 0);
    const Ipv4Endpoint again =
        FtpHostPort::parsePassiveReply("227 Entering Passive Mode (" + FtpHostPort::format(endpoint) + ").");
    FUZZ_CHECK(again.address == endpoint.address && again.port == endpoint.port);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    checkHostField(QString::fromUtf8(bytes));
    checkPassiveReply(bytes);
    return 0;
}
