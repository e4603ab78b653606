// Cost of the run's stop check during a long parse: 100,000 rows parsed with the main
// window's StopRequested (as the program runs it), with a window whose check lets messages
// through on every row, and with a check that does nothing.
// Prints one "key value" line per figure (milliseconds, and ratios to the no-op check).
#include "app/MainWindow.h"
#include "contacts/CsvReader.h"
#include "contacts/Contact.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> ContactLines(int rows)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(rows) + 1);
    std::string header;
    for (int c = 0; c < 33; ++c)
        header += (c ? ",\"Column " : "\"Column ") + std::to_string(c) + "\"";
    lines.push_back(header);
    for (int i = 0; i < rows; ++i) {
        std::string row;
        for (int c = 0; c < 33; ++c)
            row += (c ? ",\"" : "\"") + (c % 3 == 0 ? std::string() : "Field " + std::to_string(c) + " of row " + std::to_string(i)) + "\"";
        lines.push_back(row);
    }
    return lines;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One parse of a fresh copy of the lines, in milliseconds.
template <typename Check>
double TimeParse(const std::vector<std::string>& source, Check check, tessaly::MainWindow& form)
{
    std::vector<std::string> lines = source;
    tessaly::ContactList list(tessaly::SyncRun::kListCapacity);
    form.ClearStop();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    tessaly::ParseRows(list, lines, check);
    ::QueryPerformanceCounter(&end);
    if (list.Count() + 1 != source.size())
        std::fprintf(stderr, "parse stopped early: %u rows\n", static_cast<unsigned>(list.Count()));
    return Seconds(start, end) * 1000.0;
}

} // namespace

int main()
{
    const int rows = 100000;
    const std::vector<std::string> lines = ContactLines(rows);
    // Interactive windows: an unattended one would start a synchronisation of its own at
    // the first stop check that lets messages through.
    tessaly::MainWindow form(false);
    form.Show(SW_SHOWNOACTIVATE);
    tessaly::MainWindow::Options everyCheck;
    everyCheck.pumpIntervalMs = 0;
    tessaly::MainWindow pumping(std::move(everyCheck));
    pumping.Show(SW_SHOWNOACTIVATE);

    // Interleaved rounds, best of each, so warm-up and load fall on all three alike.
    double none = 1e30, throttled = 1e30, everyRow = 1e30;
    for (int round = 0; round < 5; ++round) {
        none = std::min(none, TimeParse(lines, [] { return false; }, form));
        throttled = std::min(throttled, TimeParse(lines, [&] { return form.StopRequested(); }, form));
        everyRow = std::min(everyRow, TimeParse(lines, [&] { return pumping.StopRequested(); }, pumping));
    }

    std::printf("stop_noop_ms %.1f\n", none);
    std::printf("stop_requested_ms %.1f\n", throttled);
    std::printf("stop_every_row_ms %.1f\n", everyRow);
    std::printf("stop_requested_x %.2f\n", throttled / none);
    std::printf("stop_every_row_x %.2f\n", everyRow / none);
    return 0;
}
