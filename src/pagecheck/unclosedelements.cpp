#include "pagecheck/unclosedelements.h"

#include <QHash>

namespace {

struct Place
{
    int line;
    int column;
    bool operator==(const Place &) const = default;
};

size_t qHash(const Place &place, size_t seed)
{
    return qHashMulti(seed, place.line, place.column);
}

// An element tidy opened at a place of its own accord.
struct Inserted
{
    QString element;
    Place place;
    bool operator==(const Inserted &) const = default;
};

size_t qHash(const Inserted &inserted, size_t seed)
{
    return qHashMulti(seed, inserted.element, inserted.place.line, inserted.place.column);
}

// Messages about something that tidy puts into an element of its own making: an <input> outside
// a <form>, text in the head (the <body> then starts there).
bool makesTidyInsert(const QByteArray &key)
{
    return key == "TAG_NOT_ALLOWED_IN" || key == "MISSING_STARTTAG";
}

} // namespace

namespace UnclosedElements {

QString leftOpen(const Message &message)
{
    if (message.key == "MISSING_ENDTAG_BEFORE" || message.key == "MISSING_ENDTAG_FOR")
        return message.about;
    // tidy names the end tag that came too early; the element left open starts where it
    // places the message.
    if (message.key == "NON_MATCHING_ENDTAG")
        return message.atPlace;
    return {};
}

QList<qsizetype> fold(const QList<Message> &messages)
{
    QList<qsizetype> into(messages.size(), -1);
    QList<bool> first(messages.size(), false);
    QHash<QString, qsizetype> open;      // each element's latest first report
    QHash<Inserted, qsizetype> inserted; // what tidy opened itself, and the fault it belongs to
    QHash<Place, qsizetype> firstAt;     // the first message standing alone at each place
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const Message &m = messages.at(i);
        const Place place{m.line, m.column};
        if (const QString element = leftOpen(m); !element.isEmpty()) {
            if (const auto it = inserted.constFind({element, place}); it != inserted.cend()) {
                into[i] = *it; // reported again where tidy itself opened it
            } else if (m.atPlace == element) {
                open.insert(element, i); // the user's own start tag: the fault's first report
                first[i] = true;
            }
        } else if (m.key == "INSERTING_TAG") {
            // Opened again for an element left open, or opened to hold what was reported here.
            const qsizetype cause = firstAt.value(place, -1);
            if (const auto it = open.constFind(m.about); it != open.cend())
                into[i] = *it;
            else if (cause >= 0 && makesTidyInsert(messages.at(cause).key))
                into[i] = cause;
            inserted.insert({m.about, place}, into.at(i) >= 0 ? into.at(i) : i);
        }
        if (into.at(i) < 0 && !firstAt.contains(place))
            firstAt.insert(place, i);
    }
    // Anything else tidy says of an element it opened (trimmed as empty, an old tag).
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const Message &m = messages.at(i);
        const qsizetype fault = inserted.value({m.about, {m.line, m.column}}, -1);
        if (into.at(i) < 0 && !first.at(i) && fault != i)
            into[i] = fault;
    }
    // A message folded into one that itself folded belongs to the same first one. Each step
    // leads to a first report or to an earlier message, so the walk ends; it is bounded anyway.
    for (qsizetype i = 0; i < messages.size(); ++i) {
        for (qsizetype steps = 0; into.at(i) >= 0 && into.at(into.at(i)) >= 0 && steps < messages.size(); ++steps)
            into[i] = into.at(into.at(i));
    }
    return into;
}

} // namespace UnclosedElements
