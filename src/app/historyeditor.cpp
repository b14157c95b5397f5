#include "app/historyeditor.h"

HistoryEditor::HistoryEditor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RIREKIfrm"));
    setWindowTitle(QStringLiteral("ファイル履歴編集"));
    setAccessibleName(windowTitle());
}
