#include "transfer/ftp/ipv4endpoint.h"

std::string Ipv4Endpoint::addressText() const
{
    constexpr int bitsPerByte = 8;
    constexpr int bytesPerAddress = 4;
    constexpr std::uint32_t byteMask = 0xFF;
    std::string text;
    for (int index = bytesPerAddress - 1; index >= 0; --index) {
        text += std::to_string((address >> (index * bitsPerByte)) & byteMask);
        if (index != 0)
            text += '.';
    }
    return text;
}
