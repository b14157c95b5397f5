#pragma once

#include <QtGlobal>

#include <initializer_list>

// The elements of the host's download-control set, in their declared order. The order is
// what the set stores; the bit each element adds to the download-control value comes from a
// table, because it does not follow the order (CS_NoFrame, the eleventh, gives 0x1000).
enum class DownLoadControl {
    CS_Images,
    CS_Videos,
    CS_BGSounds,
    CS_NoScripts,
    CS_NoJava,
    CS_NoActiveXRun,
    cs_NoActiveXDownLoad,
    CS_DownLoadOnly,
    CS_ReSynchronize,
    CS_NoCash,
    CS_NoFrame,
    CS_ForceOffLine,
    CS_NoClientPull,
    CS_Silent,
    CS_OffLine,
};

// A set of DownLoadControl elements stored in 16 bits, one per element in declared order,
// that yields the engine's download-control value.
class DownLoadControlSet
{
public:
    static constexpr int kElementCount = 15;

    DownLoadControlSet() = default;
    DownLoadControlSet(std::initializer_list<DownLoadControl> elements);

    bool contains(DownLoadControl element) const;
    void insert(DownLoadControl element);
    void remove(DownLoadControl element);
    quint16 storedBits() const { return m_bits; }

    // The download-control bit of one element (DLCTL_ constants).
    static quint32 bitOf(DownLoadControl element);
    // Every element present adds its bit; computed afresh at each call.
    quint32 value() const;

    friend bool operator==(const DownLoadControlSet &, const DownLoadControlSet &) = default;

private:
    quint16 m_bits = 0;
};
