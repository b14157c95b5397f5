#include "transferbench.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace TransferBench {

[[noreturn]] void execOrExit(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

void writeRandomFile(const fs::path &path)
{
    std::vector<std::uint64_t> block(mebibyte / sizeof(std::uint64_t));
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t written = 0; written < fileSize; written += mebibyte) {
        for (std::uint64_t &word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        out.write(reinterpret_cast<const char *>(block.data()), static_cast<std::streamsize>(mebibyte));
    }
}

std::optional<double> timeRun(const std::vector<std::string> &arguments, Clock::time_point *started)
{
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const auto start = Clock::now();
    if (started)
        *started = start;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(devNull, STDOUT_FILENO);
        execOrExit(arguments);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(devNull);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void writeTree(const fs::path &top)
{
    const std::string bytes(treeFileSize, 'h');
    for (int folder = 0; folder < treeFolders; ++folder) {
        const fs::path dir = top / ("dir" + std::to_string(folder));
        fs::create_directories(dir);
        for (int file = 0; file < treeFilesPerFolder; ++file)
            std::ofstream(dir / ("page" + std::to_string(file) + ".html"), std::ios::binary) << bytes;
    }
}

std::size_t countFiles(const fs::path &top)
{
    std::size_t count = 0;
    if (!fs::exists(top))
        return 0;
    for (const auto &entry : fs::recursive_directory_iterator(top))
        count += entry.is_regular_file() && entry.file_size() == treeFileSize;
    return count;
}

std::string readWhole(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<fs::path> changedPages()
{
    std::vector<fs::path> pages;
    for (int i = 0; i < publishChanged; ++i)
        pages.push_back(fs::path("dir" + std::to_string(i * 2)) / ("page" + std::to_string(i) + ".html"));
    return pages;
}

std::string roundContent(int round)
{
    std::string bytes(treeFileSize, 'h');
    const std::string mark = "round " + std::to_string(round);
    bytes.replace(0, mark.size(), mark);
    return bytes;
}

bool holdsRound(const fs::path &site, int round)
{
    const std::string expected = roundContent(round);
    for (const fs::path &page : changedPages()) {
        if (readWhole(site / page) != expected)
            return false;
    }
    return true;
}

std::vector<fs::path> allPages()
{
    std::vector<fs::path> pages;
    for (int folder = 0; folder < treeFolders; ++folder) {
        for (int file = 0; file < treeFilesPerFolder; ++file)
            pages.push_back(fs::path("dir" + std::to_string(folder)) / ("page" + std::to_string(file) + ".html"));
    }
    return pages;
}

int roundsFromEnvironment(int otherwise)
{
    const char *roundsSet = std::getenv("QZWEB_BENCH_ROUNDS");
    return roundsSet && std::atoi(roundsSet) > 0 ? std::min(std::atoi(roundsSet), otherwise) : otherwise;
}

double ratioOf(double peer, double ours)
{
    return ours > 0 ? peer / ours : 0.0;
}

} // namespace TransferBench
