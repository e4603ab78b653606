// Any downloaded text parses without a memory fault, and the reader's fast row path
// gives exactly the records of the literal steps: trim, separators to line breaks, split.
#include "app/TextHelpers.h"
#include "contacts/CsvReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = tessaly::SplitLines(text);
    const std::vector<std::string> original = lines;

    tessaly::TContactList parsed(16);
    size_t checks = 0;
    tessaly::ParseRows(parsed, lines, [&] {
        ++checks;
        return false;
    });

    tessaly::TContactList literal(16);
    for (size_t i = 1; i < original.size(); ++i)
        tessaly::AddContact(literal, tessaly::ReplaceAll(tessaly::Trim(original[i]), "\",", "\r\n"));

    const size_t rows = original.empty() ? 0 : original.size() - 1;
    // Rows without any value are dropped by both paths alike.
    if (parsed.Count() > rows || literal.Count() != parsed.Count() || checks != rows)
        std::abort();
    for (size_t i = 0; i < parsed.Count(); ++i) {
        if (!parsed[i].HasValue())
            std::abort();
        for (const auto& entry : tessaly::TContactInfo::kFields)
            if (parsed[i].*entry.field != literal[i].*entry.field)
                std::abort();
    }
    return 0;
}
