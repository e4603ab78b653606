// Download throughput and memory: one body from the local server through DownloadFile,
// then read back, split and parsed as a run does.
//   download_bench URL [USER PASSWORD]
// Prints "download_mb_per_s", "download_peak_x" and "peak_x" (the growth of the peak
// working set over the start, as a multiple of the file size) as its last lines.
//   download_bench --raw SIZE URL
// Reads the URL with bare WinINet calls in reads of SIZE bytes and prints "raw_mb_per_s":
// what WinINet itself delivers, for comparison.
#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "contacts/CsvReader.h"
#include "contacts/HttpDownload.h"

#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tessaly;

namespace {

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

int RawRead(DWORD size, const char* url)
{
    std::vector<char> buffer(size);
    const auto begin = std::chrono::steady_clock::now();
    HINTERNET internet = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = ::InternetOpenUrlA(internet, url, nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    size_t total = 0;
    DWORD count = 0;
    while (request && ::InternetReadFile(request, buffer.data(), size, &count) && count > 0)
        total += count;
    if (request)
        ::InternetCloseHandle(request);
    if (internet)
        ::InternetCloseHandle(internet);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (total == 0)
        return 1;
    std::printf("raw_mb_per_s %.1f\n", static_cast<double>(total) / (1024.0 * 1024.0) / seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--raw")
        return RawRead(static_cast<DWORD>(std::atoi(argv[2])), argv[3]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: download_bench URL [USER PASSWORD]\n");
        return 2;
    }
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "CorvaneTessaly-bench";
    ReadBuffer buffer;
    // The stop check runs before every read: it shows when the reading ended.
    auto lastRead = std::chrono::steady_clock::now();
    DownloadServices services{[&] {
                                  lastRead = std::chrono::steady_clock::now();
                                  return false;
                              },
                              [](NoticeKind, const std::string& text) { std::printf("notice: %s\n", text.c_str()); }};

    const size_t start = Memory().WorkingSetSize;
    const auto begin = std::chrono::steady_clock::now();
    const bool ok = DownloadFile(argv[1], path, argc > 2 ? argv[2] : "", argc > 3 ? argv[3] : "", buffer, services);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (!ok) {
        std::fprintf(stderr, "download failed\n");
        return 1;
    }
    const size_t downloadPeak = Memory().PeakWorkingSetSize;
    const double reading = std::chrono::duration<double>(lastRead - begin).count();

    ContactList list(500);
    BodyLines body;
    size_t size = 0;
    {
        const std::string text = ReadTextFile(path);
        size = text.size();
        body = SplitBody(text);
    }
    ParseBody(list, body, [] { return false; }, AnsiToUtf8);
    const size_t peak = Memory().PeakWorkingSetSize;
    (void)ForceDeleteFile(path);

    const double megabytes = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("%.1f MB in %.3f s (reading %.3f s), %zu records, working set at start %.1f MB\n", megabytes, seconds,
                reading, list.Count(), static_cast<double>(start) / (1024.0 * 1024.0));
    std::printf("download_mb_per_s %.1f\n", megabytes / seconds);
    std::printf("download_peak_x %.2f\n", static_cast<double>(downloadPeak - start) / static_cast<double>(size));
    std::printf("peak_x %.2f\n", static_cast<double>(peak - start) / static_cast<double>(size));
    return 0;
}
