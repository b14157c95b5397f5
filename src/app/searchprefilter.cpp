#include "app/searchprefilter.h"

#include "common/cp932codec.h"

#include <QSet>

namespace {

// The characters of CP932's extension rows, each of which has another spelling in those rows or
// among the standard ones (NEC row 13, the NEC-selected IBM rows, the IBM rows).
const QSet<char32_t> &charactersWithSecondSpellings()
{
    static const QSet<char32_t> characters = [] {
        QSet<char32_t> found;
        for (const int lead : {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC}) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char bytes[] = {char(lead), char(trail)};
                const QByteArray pair(bytes, 2);
                // An unassigned pair reads as an unreadable byte and a character of its own.
                const QString decoded = Cp932Codec::decode(pair).text;
                if (decoded.size() == 1 && !Cp932Codec::hasUndecodableBytes(decoded))
                    found.insert(decoded.at(0).unicode());
            }
        }
        return found;
    }();
    return characters;
}

} // namespace

SearchPrefilter::SearchPrefilter(const QString &searchText, ReplaceRules::Options options)
{
    if (searchText.isEmpty() || !options.matchCase || options.regex || searchText.contains(QChar::ReplacementCharacter))
        return;
    m_filters = true;
    m_utf8 = searchText.toUtf8();
    m_cp932Known = Cp932Codec::canEncode(searchText);
    for (const char32_t c : searchText.toUcs4()) {
        if (charactersWithSecondSpellings().contains(c) || Cp932Codec::hasUndecodableBytes(QString::fromUcs4(&c, 1)))
            m_filters = false;
    }
    if (m_cp932Known) {
        std::optional<Cp932Codec::Unencodable> failure;
        m_cp932 = Cp932Codec::encode(searchText, {}, &failure);
    }
}

bool SearchPrefilter::mayMatch(QByteArrayView bytes) const
{
    if (!m_filters)
        return true;
    return bytes.contains(m_utf8) || (m_cp932Known && bytes.contains(m_cp932));
}
