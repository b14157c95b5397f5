#include "preview/weblisttree.h"

#include "preview/commatext.h"
#include "preview/webliststore.h"

WebListTree WebListTree::fromLines(const QStringList &lines)
{
    WebListTree tree;
    QString current;
    for (const QString &line : lines) {
        const QStringList fields = CommaText::split(line);
        const QString category = fields.value(0);
        if (tree.categories.isEmpty() || category != current) {
            current = category;
            tree.categories.append({category, {}});
        }
        tree.categories.last().entries.append({fields.value(1), fields.value(2)});
    }
    return tree;
}

QStringList WebListTree::toLines(Mode mode) const
{
    QStringList lines;
    for (const Category &category : categories) {
        for (const Entry &entry : category.entries) {
            if (mode == Mode::Favorites && entry.address.isEmpty())
                continue;
            lines.append(WebListStore::line(category.text, entry.title, entry.address));
        }
    }
    return mode == Mode::History ? WebListStore::historyForWriting(lines) : lines;
}

bool WebListTree::hasCategory(const QString &name) const
{
    const QString wanted = name.toUpper();
    for (const Category &category : categories) {
        if (category.text.toUpper() == wanted)
            return true;
    }
    return false;
}
