#include "authoring/linenumbergutter.h"

#include "authoring/sourceview.h"

LineNumberGutter::LineNumberGutter(SourceView &view) : QWidget(&view), m_view(view)
{
    setObjectName(QStringLiteral("LineNumberGutter"));
    setAccessibleName(QStringLiteral("行番号"));
}

QSize LineNumberGutter::sizeHint() const
{
    return {m_view.gutterWidth(), 0};
}

void LineNumberGutter::paintEvent(QPaintEvent *event)
{
    m_view.paintGutter(*this, event->rect());
}
