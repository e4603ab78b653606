#include "CollectionMembers.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

class Folders final : public DispatchObject {
public:
    explicit Folders(int parent) : DispatchObject(kFoldersMembers), parent_(parent) {}

protected:
    enum { kCount = 1, kItem, kAdd };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        Store& store = Store::Instance();
        const std::vector<int>& children = store.Folder(parent_).folders;
        switch (id) {
        case kCount:
            ReturnInteger(result, static_cast<int>(children.size()));
            break;
        case kItem:
            ReturnObject(result, NewFolder(Find(store, children, args)));
            break;
        case kAdd: {
            // Only contacts folders live here; an omitted type means the parent's kind.
            if (args.Given(1) && args.Integer(1) != tessaly::outlook::olFolderContacts)
                Fail(E_INVALIDARG, L"Only contacts folders can be added to this folder.");
            ReturnObject(result, NewFolder(store.AddFolder(parent_, args.Text(0))));
            break;
        }
        }
    }

private:
    // By 1-based index, or by name (case-insensitive, as Outlook does).
    static int Find(const Store& store, const std::vector<int>& children, const CallArgs& args)
    {
        const VARIANT& key = args.Raw(0);
        if (key.vt == VT_BSTR) {
            for (int child : children) {
                if (::lstrcmpiW(store.Folder(child).name.c_str(), key.bstrVal ? key.bstrVal : L"") == 0)
                    return child;
            }
            Fail(E_FAIL, L"The folder could not be found.");
        }
        return AtIndex(children, args.Integer(0));
    }

    int parent_;
};

} // namespace

ComPtr<IDispatch> NewFolders(int parent)
{
    return Make<Folders>(parent);
}

} // namespace outlook_standin
