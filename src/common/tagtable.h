#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

// The rows of one command family, found by the tag of the menu item that runs them. A menu item
// carries only its handler name and a tag; the family's table is the one place that says what
// each tag does. The table is made at compile time from a constant array of rows with an int
// member `tag`, and an array in which two rows share a tag does not compile, so a tag can never
// reach the wrong row. It refers to the array and owns nothing.
template<typename Row>
class TagTable
{
public:
    template<std::size_t N>
    consteval TagTable(const Row (&rows)[N]) : m_rows(rows)
    {
        if (!hasDistinctTags(m_rows))
            throw "two rows of one family share a tag";
    }

    // The row of a menu tag; nullptr for a tag the family does not have.
    constexpr const Row *find(int tag) const
    {
        const auto it = std::ranges::find(m_rows, tag, &Row::tag);
        return it == m_rows.end() ? nullptr : &*it;
    }

    // The family's tags in row order: what its menu items must carry, one item to each.
    std::vector<int> tags() const
    {
        std::vector<int> out;
        out.reserve(m_rows.size());
        for (const Row &r : m_rows)
            out.push_back(r.tag);
        return out;
    }

    static constexpr bool hasDistinctTags(std::span<const Row> rows)
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (std::size_t j = i + 1; j < rows.size(); ++j) {
                if (rows[i].tag == rows[j].tag)
                    return false;
            }
        }
        return true;
    }

private:
    std::span<const Row> m_rows;
};
