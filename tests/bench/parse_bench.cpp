// Parse throughput: a generated contacts file of 100,000 rows (about 35 MB), its encoding
// decided, split into lines and parsed into records, as a run does after the download.
//   parse_bench [ROWS [REPEATS]]
// Prints "first_parse_mb_per_s <the first repeat>", the one a run makes: its allocations
// touch fresh pages, as a run's do. Then "parse_mb_per_s <best of the repeats>" as its last
// line: a later repeat may reuse the pages the one before it freed, where the heap keeps them.
#include "contacts/CsvReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tessaly;

namespace {

std::string GeneratedFile(int rows)
{
    static const char* const kFirst[] = {"Ann", "Bruno", "Carla", "Dmitri", "Elena", "Farid", "Greta", "Hiro"};
    static const char* const kLast[] = {"Lee", "Moreau", "Novak", "Okafor", "Petrov", "Quinn", "Rossi", "Weber"};
    std::string text;
    text.reserve(static_cast<size_t>(rows) * 360 + 400);
    for (int column = 0; column < 33; ++column)
        text += (column ? ",\"Column " : "\"Column ") + std::to_string(column) + "\"";
    text += "\r\n";
    char row[1024];
    for (int i = 0; i < rows; ++i) {
        const char* first = kFirst[i % 8];
        const char* last = kLast[i / 8 % 8];
        const int length = std::snprintf(
            row, sizeof row,
            "\"\",\"%s\",\"%s\",\"%s%d\",\"%s.%s.%d@example.com\",\"\",\"%s %s %d\",\"\",\"\",\"Account Manager\","
            "\"\",\"%c%c\",\"C%07d\",\"Example Trading Ltd\",\"Sales\",\"+1 555 01%02d %04d\",\"+1 555 02%02d %04d\","
            "\"+1 555 03%02d %04d\",\"+1 555 04%02d %04d\",\"\",\"%d Harbour Road\",\"Springfield\",\"IL\",\"%05d\","
            "\"\",\"Building %d, Room %d\",\"\",\"\",\"\",\"\",\"\",\"\",\"http://www.example.com/people/%d\"\r\n",
            first, last, first, i, first, last, i, first, last, i, first[0], last[0], i, i % 100, i % 10000, i % 100,
            i % 10000, i % 100, i % 10000, i % 100, i % 10000, i % 900 + 1, i % 100000, i % 7 + 1, i % 300 + 100, i);
        text.append(row, static_cast<size_t>(length));
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string text = GeneratedFile(rows);
    const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);

    double best = 0, first = 0;
    size_t records = 0;
    for (int run = 0; run < repeats; ++run) {
        const auto start = std::chrono::steady_clock::now();
        TContactList list(500);
        std::vector<std::string> lines = SplitBody(list, text);
        const auto split = std::chrono::steady_clock::now();
        ParseRows(list, lines, [] { return false; });
        const auto stop = std::chrono::steady_clock::now();
        records = list.Count();
        const double seconds = std::chrono::duration<double>(stop - start).count();
        best = std::max(best, megabytes / seconds);
        if (run == 0)
            first = megabytes / seconds;
        std::printf("run %d: %.1f MB in %.3f s (split %.3f s), %.1f MB/s\n", run + 1, megabytes, seconds,
                    std::chrono::duration<double>(split - start).count(), megabytes / seconds);
    }
    std::printf("records %zu\n", records);
    std::printf("first_parse_mb_per_s %.1f\n", first);
    std::printf("parse_mb_per_s %.1f\n", best);
    return records == static_cast<size_t>(rows) ? 0 : 1;
}
