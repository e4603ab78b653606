#pragma once
// The stand-in's object model, each class in its own file. Objects refer to the store
// by id and read it on every call, so they always show its current state.
#include "DispatchObject.h"
#include "Store.h"

namespace outlook_standin {

// Answers for _Application; refreshes the store from the journal.
ComPtr<IDispatch> NewApplication();
ComPtr<IDispatch> NewNameSpace();
ComPtr<IDispatch> NewFolder(int folder);
ComPtr<IDispatch> NewFolders(int parent);
ComPtr<IDispatch> NewItems(int folder);
// `item` is a stored item, or a new one (id 0) that the first Save adds to its folder.
ComPtr<IDispatch> NewContactItem(const StoredItem& item);
ComPtr<IDispatch> NewDistListItem(const StoredItem& item);

} // namespace outlook_standin
