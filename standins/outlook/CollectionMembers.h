#pragma once
// The members of the object model's Items and Folders collections, in DISPID order: what
// the stand-in answers, and the tests' in-process fake with it.
#include <string>
#include <vector>

namespace outlook_standin {

inline const std::vector<std::wstring> kItemsMembers = {L"Count", L"Item", L"Add", L"Remove"};
inline const std::vector<std::wstring> kFoldersMembers = {L"Count", L"Item", L"Add"};

} // namespace outlook_standin
