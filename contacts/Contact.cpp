#include "contacts/Contact.h"

#include "base/TextHelpers.h"

#include <cstdio>
#include <random>

namespace tessaly {

const TContactInfo::FieldColumn TContactInfo::kFields[18] = {
    {&TContactInfo::NickName, 3, "NickName"},
    {&TContactInfo::Email, 4, "Email"},
    {&TContactInfo::DisplayName, 6, "DisplayName"},
    {&TContactInfo::JobTitle, 9, "JobTitle"},
    {&TContactInfo::Initials, 11, "Initials"},
    {&TContactInfo::CustomerID, 12, "CustomerID"},
    {&TContactInfo::Company, 13, "Company"},
    {&TContactInfo::Department, 14, "Department"},
    {&TContactInfo::BusinessPhone, 15, "BusinessPhone"},
    {&TContactInfo::MobilePhone, 16, "MobilePhone"},
    {&TContactInfo::BusinessFax, 17, "BusinessFax"},
    {&TContactInfo::HomePhone, 18, "HomePhone"},
    {&TContactInfo::HomeStreet, 20, "HomeStreet"},
    {&TContactInfo::HomeCity, 21, "HomeCity"},
    {&TContactInfo::HomeState, 22, "HomeState"},
    {&TContactInfo::Pager, 23, "Pager"},
    {&TContactInfo::Office, 25, "Office"},
    {&TContactInfo::WebPage, 32, "WebPage"},
};

namespace {
std::string_view CleanView(std::string_view text)
{
    text = TrimView(text);
    if (!text.empty() && text.front() == '"')
        text.remove_prefix(1);
    return text;
}

template <typename Fields>
void Fill(TContactInfo& contact, const Fields& fields)
{
    if (fields.size() <= 32)
        return;
    // Assigned in place: one copy of each value, no temporary string.
    for (const TContactInfo::FieldColumn& entry : TContactInfo::kFields)
        (contact.*entry.field).assign(CleanView(fields[static_cast<size_t>(entry.column)]));
}
} // namespace

TContactInfo::TContactInfo(const std::vector<std::string>& fields)
{
    Fill(*this, fields);
}

TContactInfo::TContactInfo(const std::vector<std::string_view>& fields)
{
    Fill(*this, fields);
}

std::string TContactInfo::CleanField(const std::string& text)
{
    return std::string(CleanView(text));
}

std::string TContactInfo::FileBaseName() const
{
    std::string name = StripChar(DisplayName, ' ');
    if (!HasText(name))
        name = NewIdentifier();
    return name;
}

std::string TContactInfo::NewIdentifier()
{
    // A version 4 (random) GUID; the generator is seeded once per process.
    static thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    unsigned char bytes[16];
    for (int i = 0; i < 16; i += 8) {
        unsigned long long value = generator();
        for (int j = 0; j < 8; ++j)
            bytes[i + j] = static_cast<unsigned char>(value >> (8 * j));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    char text[39];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
                  bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

bool TContactInfo::HasValue() const
{
    for (const FieldColumn& entry : kFields)
        if (HasText(StripChar(this->*entry.field, '"')))
            return true;
    return false;
}

} // namespace tessaly
