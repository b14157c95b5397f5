#include "pagecheck/addressguard.h"

#include <QString>

#include <algorithm>

namespace {

// Loopback, private, shared (carrier NAT), link-local, documentation, benchmarking, multicast
// and reserved ranges; an IPv6 address holding an IPv4 one is judged by it.
const QList<QPair<QHostAddress, int>> &specialRanges()
{
    static const QList<QPair<QHostAddress, int>> ranges = [] {
        QList<QPair<QHostAddress, int>> list;
        for (const char *range :
             {"0.0.0.0/8",    "10.0.0.0/8",    "100.64.0.0/10",  "127.0.0.0/8",   "169.254.0.0/16",  "172.16.0.0/12",
              "192.0.0.0/24", "192.0.2.0/24",  "192.168.0.0/16", "198.18.0.0/15", "198.51.100.0/24", "203.0.113.0/24",
              "224.0.0.0/3",  "::/128",        "::1/128",        "fc00::/7",      "fe80::/10",       "fec0::/10",
              "ff00::/8",     "2001:db8::/32", "64:ff9b:1::/48"})
            list.append(QHostAddress::parseSubnet(QString::fromLatin1(range)));
        return list;
    }();
    return ranges;
}

QHostAddress plain(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4) : address;
}

} // namespace

bool AddressGuard::isPublic(const QHostAddress &address)
{
    const QHostAddress judged = plain(address);
    if (judged.isNull())
        return false;
    const auto &ranges = specialRanges();
    return std::none_of(ranges.cbegin(), ranges.cend(), [&](const auto &range) { return judged.isInSubnet(range); });
}

bool AddressGuard::allows(const QHostAddress &address) const
{
    const QHostAddress judged = plain(address);
    return isPublic(judged)
        || std::any_of(m_site.cbegin(), m_site.cend(), [&](const QHostAddress &site) { return plain(site) == judged; });
}
