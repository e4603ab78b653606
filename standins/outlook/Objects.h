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
// The folder's items as a table (Outlook 2007 on); `hidden` asks for the hidden items,
// of which the stand-in keeps none.
ComPtr<IDispatch> NewTable(int folder, bool hidden);
// The item of a stored item id, as its kind answers.
ComPtr<IDispatch> NewItemObject(const StoredItem& item);

// An item's EntryID as Outlook hands it out through an explicit built-in name: the hex
// text of a store entry identifier, stable for the item's life.
std::wstring EntryIdOf(int item);
// The stored item id an EntryID names; 0 when it names none of this store's.
int ItemIdOf(const std::wstring& entryId);

} // namespace outlook_standin
