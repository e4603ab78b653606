#pragma once
// Contacts for the matching tests: the fields matching looks at, the rest empty.
#include "contacts/ContactMatching.h"

#include <string>

namespace tessaly::test {

inline ContactValues Person(const std::string& email, const std::string& name, const std::string& phone = "")
{
    ContactValues values;
    values[static_cast<size_t>(ContactField::Email)] = email;
    values[static_cast<size_t>(ContactField::DisplayName)] = name;
    values[static_cast<size_t>(ContactField::BusinessPhone)] = phone;
    return values;
}

} // namespace tessaly::test
