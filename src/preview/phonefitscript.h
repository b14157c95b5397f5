#pragma once

#include "common/phonefit.h"

#include <QString>
#include <QVariant>

#include <optional>

// What the phone preview asks the shown page once it has loaded: how wide its content is laid
// out against the phone's width, and which element reaches furthest. The page answers in its
// own process, so the window's thread only reads the answer.
namespace PhoneFitScript {

QString script();

// The page's answer read as a fit; nullopt for an answer that is not one (a page that replaced
// the script's functions, a page gone before it answered).
std::optional<PhoneFit> read(const QVariant &answer);

} // namespace PhoneFitScript
