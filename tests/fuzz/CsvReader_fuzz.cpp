// Any downloaded text parses without a memory fault, the reader's fast row path gives
// exactly the records of the literal steps (trim, separators to line breaks, split), and
// the encoding decision agrees with a plain decoder of UTF-8.
#include "base/TextHelpers.h"
#include "contacts/CsvReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// UTF-8 by its definition: decode each character, then insist on the shortest form, no
// surrogate and nothing above U+10FFFF.
bool PlainUtf8(const std::string& text, bool& multiByte)
{
    multiByte = false;
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || at + length > text.size())
            return false;
        std::uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (next & 0x3Fu);
        }
        static constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length > 1 && (point < kShortest[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF))
            return false;
        multiByte = multiByte || length > 1;
        at += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const tessaly::BodyLines decided = tessaly::SplitBody(text);
    const std::vector<std::string>& bodyLines = decided.lines;
    const bool marked = text.starts_with("\xEF\xBB\xBF");
    bool multiByte = false;
    const bool utf8 = marked || (PlainUtf8(text, multiByte) && multiByte);
    if ((decided.codePage == tessaly::TextCodePage::Utf8) != utf8)
        std::abort();
    std::vector<std::string> expectedBody = tessaly::SplitLines(std::string_view(text).substr(marked ? 3 : 0));
    if (!expectedBody.empty())
        expectedBody.erase(std::remove(expectedBody.begin() + 1, expectedBody.end(), std::string()), expectedBody.end());
    if (bodyLines != expectedBody)
        std::abort();

    std::vector<std::string> lines = tessaly::SplitLines(text);
    const std::vector<std::string> original = lines;

    tessaly::ContactList parsed(16);
    size_t checks = 0;
    tessaly::ParseRows(parsed, lines, [&] {
        ++checks;
        return false;
    });

    tessaly::ContactList literal(16);
    for (size_t i = 1; i < original.size(); ++i)
        tessaly::AddContact(literal, tessaly::ReplaceAll(tessaly::Trim(original[i]), "\",", "\r\n"));

    const size_t rows = original.empty() ? 0 : original.size() - 1;
    // Rows without any value are dropped by both paths alike.
    if (parsed.Count() > rows || literal.Count() != parsed.Count() || checks != rows)
        std::abort();
    for (size_t i = 0; i < parsed.Count(); ++i) {
        if (!parsed[i].HasValue())
            std::abort();
        for (const auto& entry : tessaly::ContactInfo::kFields)
            if (parsed[i].Field(entry.field) != literal[i].Field(entry.field))
                std::abort();
    }
    return 0;
}
