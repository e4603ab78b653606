// Parse throughput: a generated contacts file of 100,000 rows (about 35 MB), its encoding
// decided, split into lines and parsed into records, as a run does after the download.
//   parse_bench [ROWS [REPEATS [accented]]]
// "accented" gives every row a Windows-1252 letter beyond ASCII, so every row of the ANSI
// file is converted to UTF-8: the cost of an ANSI export of accented names.
// Prints "first_parse_mb_per_s <the first repeat>", the one a run makes: its allocations
// touch fresh pages, as a run's do. Then "parse_mb_per_s <best of the repeats>" as its last
// line: a later repeat may reuse the pages the one before it freed, where the heap keeps them.
#include "contacts/CsvReader.h"
#ifdef _WIN32
#include "base/WideText.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tessaly;

namespace {

std::string GeneratedFile(int rows, bool accented)
{
    static const char* const kPlainFirst[] = {"Ann", "Bruno", "Carla", "Dmitri", "Elena", "Farid", "Greta", "Hiro"};
    static const char* const kAccentedFirst[] = {"\xC5nn",   "Br\xFCno", "C\xE0rla", "Dm\xEFtri",
                                                 "\xC9lena", "F\xE4rid", "Gr\xE9ta", "H\xEEro"};
    const char* const* kFirst = accented ? kAccentedFirst : kPlainFirst;
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

// The generated file is ASCII, so it is read as ANSI and every row is checked for text to
// convert; none reaches the conversion, as an ANSI export of plain names does not.
#ifdef _WIN32
const AnsiToUtf8Conversion AnsiLines = AnsiToUtf8;
#else
const AnsiToUtf8Conversion AnsiLines = [](std::string_view text) { return std::string(text); };
#endif

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool accented = argc > 3 && std::string(argv[3]) == "accented";
    const std::string text = GeneratedFile(rows, accented);
    const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);

    double best = 0, first = 0;
    size_t records = 0;
    for (int run = 0; run < repeats; ++run) {
        const auto start = std::chrono::steady_clock::now();
        ContactList list(500);
        BodyLines body = SplitBody(text);
        const auto split = std::chrono::steady_clock::now();
        ParseBody(list, body, [] { return false; }, AnsiLines);
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
