#pragma once

#include <QWidget>

class SourceView;

// The strip beside the source view's text that shows line numbers. It only holds the place;
// the view knows its lines and paints them into it.
class LineNumberGutter final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineNumberGutter)

public:
    explicit LineNumberGutter(SourceView &view);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SourceView &m_view;
};
