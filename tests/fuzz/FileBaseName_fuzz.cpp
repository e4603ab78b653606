// Any row of fields gives a record; its file base name is never empty and never
// holds a blank.
#include "contacts/Contact.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Fields are separated by byte 0x1F in the fuzzer's input.
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x1F)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    const tessaly::ContactInfo contact(fields);
    const std::string name = contact.FileBaseName();
    if (name.empty() || name.find(' ') != std::string::npos)
        std::abort();
    if (fields.size() <= 32 && !contact.DisplayName().empty())
        std::abort();
    return 0;
}
