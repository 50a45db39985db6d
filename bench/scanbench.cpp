// Benchmark driver: walks a drive's tree and prints the seconds it took.
//
//   scanbench.exe walk <folder>   a plain FindFirstFileA/FindNextFileA walk that
//                                 counts files, folders and bytes
//   scanbench.exe scan <drive>    the hard-disk cleaner's StartClean with every
//                                 category on, stopped from the progress event
//                                 that ends the scan: it examines every file,
//                                 collects the matching ones and deletes nothing
//
// Output: "<mode> <seconds> <files> <folders> <matches>"; the scan counts the
// folders it announced and, for files, the progress events it raised times 100.
#include "engine/hd_cleaner.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Counts {
    std::uint64_t files = 0, folders = 0, bytes = 0, matches = 0;
};

void Walk(const std::string& folder, Counts& counts) {
    ++counts.folders;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Walk(folder + name + "\\", counts);
        } else {
            ++counts.files;
            counts.bytes += (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// Seconds from StartClean to the end of its scan.
double Scan(const std::string& root, Counts& counts) {
    using tidvex::engine::clsHDCleaner;
    using tidvex::engine::JunkCategory;
    clsHDCleaner cleaner;
    double start = 20;
    const double range = 70, scanEnd = start + range * 0.7;
    Clock::time_point end{};
    cleaner.ScanningFolder = [&](std::string&) { ++counts.folders; };
    cleaner.Progress = [&](double& progress) {
        if (progress < scanEnd) {
            counts.files += 100;
        } else if (end == Clock::time_point{}) {
            end = Clock::now();
            cleaner.StopClean();  // the deletion does not start
        }
    };
    cleaner.CleanLogFiles(true);
    cleaner.CleanTempFiles(true);
    cleaner.CleanUnnecssaryFiles(true);
    cleaner.CleanCheckDiskFiles(true);
    cleaner.CleanBrokenLinkFiles(true);
    const auto begin = Clock::now();
    cleaner.StartClean(start, range, root.substr(0, 2));
    for (auto category : {JunkCategory::Log, JunkCategory::Temporary, JunkCategory::Unnecessary,
                          JunkCategory::CheckDisk, JunkCategory::BrokenLink})
        counts.matches += cleaner.Collected(category).size();
    return std::chrono::duration<double>(end - begin).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scanbench.exe walk <folder> | scan <drive>\n");
        return 2;
    }
    const std::string mode = argv[1];
    std::string root = argv[2];
    if (root.back() != '\\') root += "\\";
    Counts counts;
    double seconds = 0;
    if (mode == "walk") {
        const auto begin = Clock::now();
        Walk(root, counts);
        seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    } else if (mode == "scan") {
        seconds = Scan(root, counts);
    } else {
        std::fprintf(stderr, "scanbench: unknown mode %s\n", mode.c_str());
        return 2;
    }
    std::printf("%s %.3f %llu %llu %llu\n", mode.c_str(), seconds, static_cast<unsigned long long>(counts.files),
                static_cast<unsigned long long>(counts.folders), static_cast<unsigned long long>(counts.matches));
    return 0;
}
