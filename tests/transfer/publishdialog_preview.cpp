// A look at 更新分を公開's plan with the page check's and the site check's marks, on a made-up
// plan: a page with broken links, a picture left unticked, a deletion pages still link to. For
// screenshots; not a test.
#include "transfer/publishdialog.h"

#include <QApplication>

namespace {

PublishPlan::Item item(PublishPlan::State state, const char *path, bool checked)
{
    PublishPlan::Item made;
    made.state = state;
    made.remote = path;
    if (state != PublishPlan::State::ServerOnly)
        made.local = path;
    made.size = 4096;
    made.checked = checked;
    return made;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    using PublishPlan::State;
    PublishPlan::Plan plan;
    plan.items = {item(State::New, "index.html", true),
                  item(State::Changed, "about.html", true),
                  item(State::New, "img/photo.jpg", false),
                  item(State::ServerOnly, "old.html", false),
                  item(State::Unchanged, "style.css", false)};
    SiteLinks links;
    links.files.insert(QStringLiteral("index.html"),
                       {{QStringLiteral("img/photo.jpg"), QStringLiteral("old.html")},
                        {QStringLiteral("リンク先 about.html に、id=\"map\" の場所がありません。")}});
    links.files.insert(QStringLiteral("about.html"), {{QStringLiteral("old.html"), QStringLiteral("style.css")}, {}});
    PublishDialog dialog(
        plan,
        nullptr,
        [](const QString &path) -> qsizetype { return path.endsWith(QStringLiteral("about.html")) ? 1 : 0; },
        QStringLiteral("/site"),
        links);
    dialog.show();
    return QApplication::exec();
}
