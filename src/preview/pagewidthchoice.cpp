#include "preview/pagewidthchoice.h"

#include "common/usererror.h"
#include "preview/browserengine.h"
#include "preview/previewwidth.h"

#include <QComboBox>

PageWidthChoice::PageWidthChoice(QComboBox &box,
                                 BrowserEngine &engine,
                                 QString settingsPath,
                                 std::function<void(const QString &)> say,
                                 QObject *parent)
    : QObject(parent), m_box(box), m_engine(engine), m_settingsPath(std::move(settingsPath)), m_say(std::move(say))
{
    const int remembered = PreviewWidth::read(m_settingsPath);
    for (const PreviewWidth::Choice &choice : PreviewWidth::choices()) {
        m_box.addItem(choice.caption, choice.cssWidth);
        if (choice.cssWidth == remembered)
            m_box.setCurrentIndex(m_box.count() - 1);
    }
    m_engine.setPageWidth(remembered);
    connect(&m_box, &QComboBox::activated, this, &PageWidthChoice::choose);
}

void PageWidthChoice::choose(int index)
{
    const int width = m_box.itemData(index).toInt();
    m_engine.setPageWidth(width);
    try {
        PreviewWidth::write(m_settingsPath, width);
    } catch (const UserError &e) {
        if (m_say)
            m_say(QStringLiteral("プレビューの幅を覚えておけませんでした（%1）").arg(e.text()));
    }
}
