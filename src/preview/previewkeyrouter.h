#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Routes the application's key events while a widget of the preview pane has the focus, as
// KeyRouting decides: it watches the whole application the way a message hook would, and is
// removed with the pane's browser. It owns nothing.
class PreviewKeyRouter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewKeyRouter)

public:
    PreviewKeyRouter(QWidget *pane, bool acceleratorsToPage, QObject *parent = nullptr);

    void setAcceleratorsToPage(bool toPage) { m_acceleratorsToPage = toPage; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isInPane(QObject *watched) const;

    QPointer<QWidget> m_pane;
    bool m_acceleratorsToPage;
};
