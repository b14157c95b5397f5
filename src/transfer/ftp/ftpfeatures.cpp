#include "transfer/ftp/ftpfeatures.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return result;
}

bool holds(const std::vector<std::string> &list, std::string_view fact)
{
    return std::find(list.begin(), list.end(), lowered(fact)) != list.end();
}

} // namespace

FtpFeatures FtpFeatures::parse(const std::vector<std::string> &lines)
{
    FtpFeatures features;
    // The first and the last line carry the code; the features stand one a line between them.
    for (std::size_t index = 1; index + 1 < lines.size(); ++index) {
        const std::string &line = lines[index];
        const std::size_t blank = line.find(' ');
        const std::string name = lowered(std::string_view(line).substr(0, blank));
        if (name == "mdtm") {
            features.modificationTime = true;
        } else if (name == "mlst") {
            features.machineList = true;
            const std::string facts = blank == std::string::npos ? std::string() : line.substr(blank + 1);
            std::size_t start = 0;
            while (start < facts.size()) {
                std::size_t end = facts.find(';', start);
                if (end == std::string::npos)
                    end = facts.size();
                std::string fact = lowered(std::string_view(facts).substr(start, end - start));
                const bool sent = !fact.empty() && fact.back() == '*';
                if (sent)
                    fact.pop_back();
                if (!fact.empty()) {
                    if (sent)
                        features.factsSent.push_back(fact);
                    features.facts.push_back(std::move(fact));
                }
                start = end + 1;
            }
        }
    }
    return features;
}

bool FtpFeatures::offersFact(std::string_view fact) const
{
    return holds(facts, fact);
}

bool FtpFeatures::sendsFact(std::string_view fact) const
{
    return holds(factsSent, fact);
}
