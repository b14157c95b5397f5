#include "xdotool.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// fcitx5's classic interface names its candidate window so.
const QString kCandidateWindowName = QStringLiteral("^Fcitx5 Input Window$");

// Runs xdotool while the event loop keeps turning, so the program takes the keys as they come.
std::optional<QString> run(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForStarted(5000))
        return std::nullopt;
    if (!QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 10000)) {
        xdotool.kill();
        xdotool.waitForFinished();
        return std::nullopt;
    }
    if (xdotool.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return QString::fromLocal8Bit(xdotool.readAllStandardOutput());
}

} // namespace

namespace XdoTool {

bool type(const QString &text)
{
    return run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text}).has_value();
}

bool keys(const QStringList &names)
{
    return run(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40")} + names).has_value();
}

std::optional<QRect> candidateWindow()
{
    const auto found = run(
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), kCandidateWindowName});
    if (!found)
        return std::nullopt;
    const QStringList windows = found->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (windows.size() != 1)
        return std::nullopt;
    const auto geometry = run({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windows.first()});
    if (!geometry)
        return std::nullopt;
    // X=.., Y=.., WIDTH=.., HEIGHT=.. one a line.
    QRect rect;
    static const QRegularExpression line(QStringLiteral("^(X|Y|WIDTH|HEIGHT)=(-?\\d+)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(*geometry); it.hasNext();) {
        const auto match = it.next();
        const int value = match.captured(2).toInt();
        const QString name = match.captured(1);
        if (name == QLatin1String("X"))
            rect.moveLeft(value);
        else if (name == QLatin1String("Y"))
            rect.moveTop(value);
        else if (name == QLatin1String("WIDTH"))
            rect.setWidth(value);
        else
            rect.setHeight(value);
    }
    return rect.isValid() ? std::optional<QRect>(rect) : std::nullopt;
}

} // namespace XdoTool
