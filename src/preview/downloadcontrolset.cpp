#include "preview/downloadcontrolset.h"

#include <array>

namespace {

// Indexed by declared order.
constexpr std::array<quint32, DownLoadControlSet::kElementCount> kBits = {
    0x10,       // CS_Images: DLCTL_DLIMAGES
    0x20,       // CS_Videos: DLCTL_VIDEOS
    0x40,       // CS_BGSounds: DLCTL_BGSOUNDS
    0x80,       // CS_NoScripts: DLCTL_NO_SCRIPTS
    0x100,      // CS_NoJava: DLCTL_NO_JAVA
    0x200,      // CS_NoActiveXRun: DLCTL_NO_RUNACTIVEXCTLS
    0x400,      // cs_NoActiveXDownLoad: DLCTL_NO_DLACTIVEXCTLS
    0x800,      // CS_DownLoadOnly: DLCTL_DOWNLOADONLY
    0x2000,     // CS_ReSynchronize: DLCTL_RESYNCHRONIZE
    0x4000,     // CS_NoCash: DLCTL_PRAGMA_NO_CACHE
    0x1000,     // CS_NoFrame: DLCTL_NO_FRAMEDOWNLOAD
    0x10000000, // CS_ForceOffLine: DLCTL_FORCEOFFLINE
    0x20000000, // CS_NoClientPull: DLCTL_NO_CLIENTPULL
    0x40000000, // CS_Silent: DLCTL_SILENT
    0x80000000, // CS_OffLine: DLCTL_OFFLINEIFNOTCONNECTED
};

quint16 maskOf(DownLoadControl element)
{
    return quint16(1u << static_cast<int>(element));
}

} // namespace

DownLoadControlSet::DownLoadControlSet(std::initializer_list<DownLoadControl> elements)
{
    for (DownLoadControl element : elements)
        insert(element);
}

bool DownLoadControlSet::contains(DownLoadControl element) const
{
    return (m_bits & maskOf(element)) != 0;
}

void DownLoadControlSet::insert(DownLoadControl element)
{
    m_bits |= maskOf(element);
}

void DownLoadControlSet::remove(DownLoadControl element)
{
    m_bits &= quint16(~maskOf(element));
}

quint32 DownLoadControlSet::bitOf(DownLoadControl element)
{
    return kBits.at(static_cast<std::size_t>(element));
}

quint32 DownLoadControlSet::value() const
{
    quint32 result = 0;
    for (int i = 0; i < kElementCount; ++i) {
        const auto element = static_cast<DownLoadControl>(i);
        if (contains(element))
            result |= bitOf(element);
    }
    return result;
}
