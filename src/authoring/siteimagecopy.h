#pragma once

#include <QString>

// Copies a picture from outside the page's folder into it, so that the page still shows it once
// published: into the "images" folder beside the page when there is one, else into the page's
// own folder. A file already there under the picture's name is never replaced: one with the same
// bytes is taken as the copy, one with other bytes leaves the copy the first free name
// ("mike-2.png", "mike-3.png", …).
namespace SiteImageCopy {

// The folder a copy for a page in pageFolder goes into.
QString targetFolder(const QString &pageFolder);

// The path of the picture's copy in folder, written when needed. Throws UserError.
QString copy(const QString &image, const QString &folder);

} // namespace SiteImageCopy
