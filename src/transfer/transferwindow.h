#pragma once

#include <QString>
#include <QWidget>

// The file-transfer window (Ftp1, "RODav"): a separate, non-modal window that publishes pages
// by FTP. It owns its local folder, which the main window points at the document's folder.
class TransferWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferWindow)

public:
    explicit TransferWindow(QWidget *parent = nullptr);

    QString localFolder() const { return m_localFolder; }
    void setLocalFolder(const QString &folder);

private:
    QString m_localFolder;
};
