#pragma once

#include <filesystem>

// ftp_bench's SFTP lines (see sftplines.cpp), against a Debian sshd the bench starts itself.
enum class SftpLines {
    All,       // Transfers and Latency
    Transfers, // the 256 MiB file and the tree on loopback, and the file through the delay proxy
    Latency,   // the publishes through the delay proxy
};

// Runs them in work (as root: sshd needs it); 0 when they ran.
int runSftpLines(const std::filesystem::path &work, SftpLines which);
