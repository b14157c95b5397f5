#include "common/documentfiledialog.h"

#include "common/documentfilters.h"

FileDialogRequest documentFileDialog(FileDialogRequest::Mode mode, const QString &title, const QString &fileName)
{
    FileDialogRequest request;
    request.mode = mode;
    if (!title.isEmpty())
        request.title = title;
    else
        request.title = mode == FileDialogRequest::Mode::Open ? QStringLiteral("ファイルを開く")
                                                              : QStringLiteral("名前を付けて保存");
    request.fileName = fileName;
    request.filters = DocumentFilters::nameFilters();
    request.filterIndex = 0;
    request.defaultSuffix = DocumentFilters::kDefaultSuffix;
    request.confirmOverwrite = false;
    request.hideFilterPatterns = true;
    return request;
}
