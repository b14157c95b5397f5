#pragma once

#include <QString>

// How a page came out in the phone preview: the width of its content against the phone's.
struct PhoneFit
{
    int phoneWidth = 0;   // CSS pixels the page was laid out in
    int contentWidth = 0; // how far the laid-out content reaches
    QString widest;       // the element reaching furthest, as a beginner reads it: <img src="a.jpg">
    bool operator==(const PhoneFit &) const = default;
};
