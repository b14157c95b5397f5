#pragma once

#include "common/textcodec.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// A copy of unsaved work kept for crash recovery: the document's path (empty while untitled),
// how it is written, when it was kept and its text. Its file is a short header of its own
// followed by the text in UTF-8, whatever the document's encoding, so any text survives. A page
// shown formatted is kept as RTF, so that its formatting survives too.
struct KeptPage
{
    QString path;
    TextFormat format; // all but the CP932 byte memory
    QDateTime keptAt;
    QString text; // CR LF line ends, as the editor hands it out; a rich-text page's RTF
    bool richText = false;

    QByteArray toBytes() const;
    // nullopt for bytes this program did not write.
    static std::optional<KeptPage> parse(const QByteArray &bytes);
};
