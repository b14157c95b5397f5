#include "app/historyeditor.h"

HistoryEditor::HistoryEditor(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RIREKIfrm"));
    setWindowTitle(QStringLiteral("ファイル履歴編集"));
    setAccessibleName(windowTitle());
}
