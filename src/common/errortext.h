#pragma once

#include <QString>

// The text of the generic error box: the failure's text, followed by "." unless it already
// ends in "." or in a character that sorts before it, or in a stop of its own ("?", and the
// Japanese "。", "．", "！", "？").
QString errorBoxText(const QString &failure);

// Japanese text for an operating-system error number, as the error box shows file failures.
QString systemErrorText(int errorNumber);
