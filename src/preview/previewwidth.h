#pragma once

#include <QList>
#include <QString>

// The width the preview shows a page at: the pane's own, as a computer shows it, or a phone's
// screen width in CSS pixels, where a page laid out for phones shows what its visitors will see.
namespace PreviewWidth {

struct Choice
{
    int cssWidth; // 0: the pane's own width
    const char *key;
    QString caption;
};

// In the order the choice lists them; the first is a new user's.
const QList<Choice> &choices();

// The remembered width (one of the choices'); the computer's when nothing valid is kept.
int read(const QString &path);
// Remembers it; throws UserError when the data folder cannot keep it.
void write(const QString &path, int cssWidth);

// The phone's user agent for a desktop one of the same engine: its version stays, its platform
// becomes a phone's, and it asks for mobile pages.
QString phoneUserAgent(const QString &desktop);

} // namespace PreviewWidth
