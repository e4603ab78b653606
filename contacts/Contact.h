#pragma once
// One contact as it comes from a row of the contacts file: eighteen UTF-8 text fields,
// each taken from a fixed column of the row.
// The fields' text lives in one block per record, so a list of thousands of contacts
// costs one allocation a row instead of one a field.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The record's fields, in record order.
enum class ContactField : unsigned char {
    NickName,
    Email,
    DisplayName,
    JobTitle,
    Initials,
    CustomerID,
    Company,
    Department,
    BusinessPhone,
    MobilePhone,
    BusinessFax,
    HomePhone,
    HomeStreet,
    HomeCity,
    HomeState,
    Pager,
    Office,
    WebPage,
};
inline constexpr size_t kContactFieldCount = 18;

class ContactInfo {
public:
    // Rows with 32 fields or fewer give a record whose fields are all empty.
    explicit ContactInfo(const std::vector<std::string>& fields);
    // The same from views into the row's text, so a reader need not copy every field first.
    explicit ContactInfo(const std::vector<std::string_view>& fields);

    ContactInfo(const ContactInfo& other);
    ContactInfo& operator=(const ContactInfo& other);
    ContactInfo(ContactInfo&&) noexcept = default;
    ContactInfo& operator=(ContactInfo&&) noexcept = default;
    ~ContactInfo() = default;

    std::string_view Field(ContactField field) const noexcept;
    // Rebuilds the record's block: meant for conversions and tests, not for a hot loop.
    void SetField(ContactField field, std::string_view value);

    std::string_view NickName() const noexcept { return Field(ContactField::NickName); }
    std::string_view Email() const noexcept { return Field(ContactField::Email); }
    std::string_view DisplayName() const noexcept { return Field(ContactField::DisplayName); }
    std::string_view JobTitle() const noexcept { return Field(ContactField::JobTitle); }
    std::string_view Initials() const noexcept { return Field(ContactField::Initials); }
    std::string_view CustomerID() const noexcept { return Field(ContactField::CustomerID); }
    std::string_view Company() const noexcept { return Field(ContactField::Company); }
    std::string_view Department() const noexcept { return Field(ContactField::Department); }
    std::string_view BusinessPhone() const noexcept { return Field(ContactField::BusinessPhone); }
    std::string_view MobilePhone() const noexcept { return Field(ContactField::MobilePhone); }
    std::string_view BusinessFax() const noexcept { return Field(ContactField::BusinessFax); }
    std::string_view HomePhone() const noexcept { return Field(ContactField::HomePhone); }
    std::string_view HomeStreet() const noexcept { return Field(ContactField::HomeStreet); }
    std::string_view HomeCity() const noexcept { return Field(ContactField::HomeCity); }
    std::string_view HomeState() const noexcept { return Field(ContactField::HomeState); }
    std::string_view Pager() const noexcept { return Field(ContactField::Pager); }
    std::string_view Office() const noexcept { return Field(ContactField::Office); }
    std::string_view WebPage() const noexcept { return Field(ContactField::WebPage); }

    // The name under which the Windows Contacts destination stores this contact: the
    // display name without blanks, or a fresh identifier when that leaves nothing.
    std::string FileBaseName() const;

    // False when every field is blank or holds only the quotes of an empty value: such a
    // row (a blank line, too few fields, a page that is no contacts file) is no contact.
    bool HasValue() const;

    // Trim, then drop one leading double quote; nothing else.
    static std::string CleanField(const std::string& text);

    // A new GUID in registry form with upper-case digits, e.g. {8F0C...}.
    static std::string NewIdentifier();

    // The fields in record order with their CSV columns, for code that walks them all.
    struct FieldColumn {
        ContactField field;
        int column;
        const char* name;
    };
    static const FieldColumn kFields[kContactFieldCount];

private:
    template <typename Fields>
    void Fill(const Fields& fields);
    void Assign(const std::array<std::string_view, kContactFieldCount>& values);

    // Field i is text_[ends_[i-1], ends_[i]), the first starting at 0; no text, no block.
    std::unique_ptr<char[]> text_;
    std::array<std::uint32_t, kContactFieldCount> ends_{};
};

} // namespace tessaly
