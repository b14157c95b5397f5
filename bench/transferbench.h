#pragma once

// What the transfer benches share: the 256 MiB file and the site of 1,000 files they move, the
// rounds of a publish, and the way a peer is run and a line's runs are summed up. The FTP lines
// (ftp_bench.cpp) and the SFTP lines (sftplines.cpp) measure the same work.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace TransferBench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t mebibyte = 1024 * 1024;
constexpr std::size_t fileSize = 256 * mebibyte;
constexpr int publishChanged = 10;
constexpr int treeFolders = 20;
constexpr int treeFilesPerFolder = 50;
constexpr int treeFiles = treeFolders * treeFilesPerFolder;
constexpr std::size_t treeFileSize = 4096;

// The latency lines' network: a round trip of 20 ms (as from a home line to a data centre),
// made by a delay proxy listening on an address of its own.
constexpr auto latencyOneWay = std::chrono::milliseconds(10);
inline const char *const latencyAddress = "127.0.0.3";

// In a forked child: becomes the given program, or ends the child when it cannot.
[[noreturn]] void execOrExit(const std::vector<std::string> &arguments);
// Runs one client process; the seconds it took, or nothing when it failed. started, when given,
// learns when the process was started.
std::optional<double> timeRun(const std::vector<std::string> &arguments, Clock::time_point *started = nullptr);
double median(std::vector<double> values);
// The other's time divided by ours: above 1, ours is faster.
double ratioOf(double peer, double ours);
// QZWEB_BENCH_ROUNDS, to shorten a trial run, but never above otherwise.
int roundsFromEnvironment(int otherwise);

// fileSize bytes that no compression shrinks.
void writeRandomFile(const fs::path &path);
// treeFolders folders of treeFilesPerFolder pages of treeFileSize bytes each.
void writeTree(const fs::path &top);
// The pages of treeFileSize bytes below top.
std::size_t countFiles(const fs::path &top);
std::string readWhole(const fs::path &path);
// The files a publish round changes, and what they hold in that round (same size as before).
std::vector<fs::path> changedPages();
std::string roundContent(int round);
// Whether the changed pages under site hold round's content.
bool holdsRound(const fs::path &site, int round);
// Every page of the tree, by its path inside it.
std::vector<fs::path> allPages();

} // namespace TransferBench
