#include "contacts/Contact.h"

#include "base/TextHelpers.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>

namespace tessaly {

const ContactInfo::FieldColumn ContactInfo::kFields[kContactFieldCount] = {
    {ContactField::NickName, 3, "NickName"},
    {ContactField::Email, 4, "Email"},
    {ContactField::DisplayName, 6, "DisplayName"},
    {ContactField::JobTitle, 9, "JobTitle"},
    {ContactField::Initials, 11, "Initials"},
    {ContactField::CustomerID, 12, "CustomerID"},
    {ContactField::Company, 13, "Company"},
    {ContactField::Department, 14, "Department"},
    {ContactField::BusinessPhone, 15, "BusinessPhone"},
    {ContactField::MobilePhone, 16, "MobilePhone"},
    {ContactField::BusinessFax, 17, "BusinessFax"},
    {ContactField::HomePhone, 18, "HomePhone"},
    {ContactField::HomeStreet, 20, "HomeStreet"},
    {ContactField::HomeCity, 21, "HomeCity"},
    {ContactField::HomeState, 22, "HomeState"},
    {ContactField::Pager, 23, "Pager"},
    {ContactField::Office, 25, "Office"},
    {ContactField::WebPage, 32, "WebPage"},
};

namespace {
std::string_view CleanView(std::string_view text)
{
    text = TrimView(text);
    if (!text.empty() && text.front() == '"')
        text.remove_prefix(1);
    return text;
}
} // namespace

template <typename Fields>
void ContactInfo::Fill(const Fields& fields)
{
    if (fields.size() <= 32)
        return;
    std::array<std::string_view, kContactFieldCount> values;
    for (const FieldColumn& entry : kFields)
        values[static_cast<size_t>(entry.field)] = CleanView(fields[static_cast<size_t>(entry.column)]);
    Assign(values);
}

void ContactInfo::Assign(const std::array<std::string_view, kContactFieldCount>& values)
{
    size_t total = 0;
    for (std::string_view value : values)
        total += value.size();
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("contact record too long");
    // Built aside first: a value may be a view into this record's own block.
    std::unique_ptr<char[]> text = total ? std::make_unique_for_overwrite<char[]>(total) : nullptr;
    std::array<std::uint32_t, kContactFieldCount> ends{};
    std::uint32_t at = 0;
    for (size_t i = 0; i < kContactFieldCount; ++i) {
        if (!values[i].empty())
            std::memcpy(text.get() + at, values[i].data(), values[i].size());
        at += static_cast<std::uint32_t>(values[i].size());
        ends[i] = at;
    }
    text_ = std::move(text);
    ends_ = ends;
}

ContactInfo::ContactInfo(const std::vector<std::string>& fields)
{
    Fill(fields);
}

ContactInfo::ContactInfo(const std::vector<std::string_view>& fields)
{
    Fill(fields);
}

ContactInfo::ContactInfo(const ContactInfo& other) : ends_(other.ends_)
{
    const std::uint32_t total = ends_.back();
    if (total) {
        text_ = std::make_unique_for_overwrite<char[]>(total);
        std::memcpy(text_.get(), other.text_.get(), total);
    }
}

ContactInfo& ContactInfo::operator=(const ContactInfo& other)
{
    if (this != &other)
        *this = ContactInfo(other);
    return *this;
}

std::string_view ContactInfo::Field(ContactField field) const noexcept
{
    const size_t i = static_cast<size_t>(field);
    const std::uint32_t begin = i ? ends_[i - 1] : 0;
    return {text_.get() + begin, ends_[i] - begin};
}

void ContactInfo::SetField(ContactField field, std::string_view value)
{
    std::array<std::string_view, kContactFieldCount> values;
    for (size_t i = 0; i < kContactFieldCount; ++i)
        values[i] = Field(static_cast<ContactField>(i));
    values[static_cast<size_t>(field)] = value;
    Assign(values);
}

std::string ContactInfo::CleanField(const std::string& text)
{
    return std::string(CleanView(text));
}

std::string ContactInfo::FileBaseName() const
{
    std::string name = StripChar(DisplayName(), ' ');
    if (!HasText(name))
        name = NewIdentifier();
    return name;
}

std::string ContactInfo::NewIdentifier()
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

bool ContactInfo::HasValue() const
{
    for (const FieldColumn& entry : kFields)
        if (HasText(StripChar(Field(entry.field), '"')))
            return true;
    return false;
}

} // namespace tessaly
