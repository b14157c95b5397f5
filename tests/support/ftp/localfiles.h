#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Whole-file byte reads and writes for comparing what went over the wire with what is on disk.
inline std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
