#pragma once

#include <QObject>
#include <QString>

#include <functional>

class PageContext;

// Keeps status panel 0 telling where the caret is ("12行 5桁"): after every move of the caret,
// whatever moved it (a key, the mouse, a command), every change of the text and any mouse press
// in the editor. A line is a paragraph of the text, however many lines it wraps into on screen.
// Follows the page in front; shows through the callback.
class CaretDisplay final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CaretDisplay)

public:
    using Show = std::function<void(const QString &)>;

    // Becomes a child of the page context.
    CaretDisplay(PageContext &current, Show show);

    void update();

private:
    PageContext &m_current;
    Show m_show;
};
