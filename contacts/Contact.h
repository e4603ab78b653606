#pragma once
// One contact as it comes from a row of the contacts file: eighteen 8-bit text fields,
// each taken from a fixed column of the row, in the code page that its list records.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class TContactInfo {
public:
    // Rows with 32 fields or fewer give a record whose fields are all empty.
    explicit TContactInfo(const std::vector<std::string>& fields);
    // The same from views into the row's text, so a reader need not copy every field first.
    explicit TContactInfo(const std::vector<std::string_view>& fields);

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

    std::string NickName;
    std::string Email;
    std::string DisplayName;
    std::string JobTitle;
    std::string Initials;
    std::string CustomerID;
    std::string Company;
    std::string Department;
    std::string BusinessPhone;
    std::string MobilePhone;
    std::string BusinessFax;
    std::string HomePhone;
    std::string HomeStreet;
    std::string HomeCity;
    std::string HomeState;
    std::string Pager;
    std::string Office;
    std::string WebPage;

    // The fields in record order with their CSV columns, for code that walks them all.
    struct FieldColumn {
        std::string TContactInfo::*field;
        int column;
        const char* name;
    };
    static const FieldColumn kFields[18];
};

} // namespace tessaly
