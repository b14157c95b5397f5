#include "authoring/colorcommands.h"

#include "authoring/colorsizedialog.h"
#include "authoring/editorstack.h"
#include "authoring/insertfragments.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"

#include <QPalette>

ColorCommands::ColorCommands(CommandDispatcher &commands,
                             PageContext &page,
                             ColorSizeDialog &colorSize,
                             QWidget &window)
    : QObject(&window), m_page(page), m_inserter(page), m_colorSize(colorSize)
{
    commands.add(QStringLiteral("mnuColorSetClick"), [this](int) { insertColor(); });
    commands.add(QStringLiteral("mnuBGCOLORClick"), [this](int) { insertBackgroundColor(); });
    commands.add(QStringLiteral("N10Click"), [this](int) { setEditorBackground(); });
}

void ColorCommands::insertColor()
{
    m_inserter.insert(m_colorSize.ask(ColorPresets::colorOnly).colorText);
}

void ColorCommands::insertBackgroundColor()
{
    m_inserter.insert(InsertFragments::backgroundColorAttribute(m_colorSize.ask(ColorPresets::colorOnly).colorText));
}

void ColorCommands::setEditorBackground()
{
    const QString text = m_colorSize.ask(ColorPresets::editorBackground).colorText;
    if (text.isEmpty())
        return;
    const RgbColor color = colorFromNumberText(text);
    m_page.editor().setBackgroundColor(QColor(color.red, color.green, color.blue));
    m_page.editor().setFocus();
}
