// Console inspector of the stand-in address book store.
//   wabdump [--utf8] [--ids]      prints every folder and its entries: their 8-bit texts as
//                                 stored (ANSI code page), or as UTF-8 with --utf8; --ids
//                                 starts each line with the entry's identifier in hex
//   wabdump seed FOLDER N [LIST]  adds N mail users (and a distribution list) to FOLDER,
//                                 creating the folder when there is none of that name
// The store is the one the library uses: WAB_STANDIN_STORE, else the default file.
#include "base/WideText.h"
#include "destinations/outlook_express/WabTags.h"
#include "standins/common/EscapedFields.h"
#include "standins/wab/WabStore.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace wabstandin;

namespace {

// The contact fields in the order of the contact record.
constexpr ULONG kRecordTags[] = {
    PR_NICKNAME,       PR_EMAIL_ADDRESS,          PR_DISPLAY_NAME,         PR_TITLE,
    PR_INITIALS,       PR_CUSTOMER_ID,            PR_COMPANY_NAME,         PR_DEPARTMENT_NAME,
    PR_BUSINESS_TELEPHONE_NUMBER, PR_MOBILE_TELEPHONE_NUMBER, PR_BUSINESS_FAX_NUMBER, PR_HOME_TELEPHONE_NUMBER,
    PR_HOME_ADDRESS_STREET, PR_HOME_ADDRESS_CITY, PR_HOME_ADDRESS_STATE_OR_PROVINCE, PR_PAGER_TELEPHONE_NUMBER,
    PR_OFFICE_LOCATION, PR_BUSINESS_HOME_PAGE,
};

StoredValue Text(const std::string& text)
{
    StoredValue value;
    value.type = PT_STRING8;
    value.bytes = text;
    return value;
}

std::string HexId(ULONG id)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : MakeEntryId(id)) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text + "\t";
}

int Dump(const Store& store, bool utf8, bool ids)
{
    auto text = [utf8](const StoredEntry& entry, ULONG tag) {
        const std::string stored = entry.Text(tag);
        return standins::EscapeField(utf8 ? tessaly::ConvertText(stored, CP_ACP, CP_UTF8) : stored);
    };
    std::string out;
    for (const StoredEntry* folder : store.Folders()) {
        if (ids)
            out += HexId(folder->id);
        out += "folder\t" + text(*folder, PR_DISPLAY_NAME) + "\n";
        for (const StoredEntry* entry : store.Children(folder->id)) {
            if (ids)
                out += HexId(entry->id);
            if (entry->type == MAPI_DISTLIST) {
                out += "distlist\t" + text(*entry, PR_DISPLAY_NAME) + "\n";
                continue;
            }
            out += "contact";
            for (ULONG tag : kRecordTags) {
                out += '\t';
                out += text(*entry, tag);
            }
            out += "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int Seed(Store& store, const std::string& folderName, int count, const char* listName)
{
    ULONG folder = 0;
    if (const StoredEntry* existing = store.FindFolderByName(folderName)) {
        folder = existing->id;
    } else {
        StoredEntry created;
        created.type = MAPI_ABCONT;
        created.Set(PR_DISPLAY_NAME, Text(folderName));
        if (!store.Save(created))
            return 1;
        folder = created.id;
    }
    for (int i = 1; i <= count; ++i) {
        StoredEntry user;
        user.folder = folder;
        user.type = MAPI_MAILUSER;
        const std::string n = std::to_string(i);
        user.Set(PR_DISPLAY_NAME, Text("Seeded " + n));
        user.Set(PR_EMAIL_ADDRESS, Text("seeded" + n + "@example.invalid"));
        user.Set(PR_NICKNAME, Text("seed" + n));
        if (!store.Save(user))
            return 1;
    }
    if (listName) {
        StoredEntry list;
        list.folder = folder;
        list.type = MAPI_DISTLIST;
        list.Set(PR_DISPLAY_NAME, Text(listName));
        if (!store.Save(list))
            return 1;
    }
    return 0;
}

void Usage()
{
    std::fprintf(stderr, "usage: wabdump [--utf8] [--ids] | seed FOLDER COUNT [LISTNAME]\n");
}

} // namespace

int main(int argc, char** argv)
{
    // Plain line feeds, so shell tests compare the output as it is.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argc > 1 ? argv[1] : "";
    Store store;
    if (command != "seed") {
        bool utf8 = false;
        bool ids = false;
        for (int i = 1; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--utf8" && !utf8) {
                utf8 = true;
            } else if (option == "--ids" && !ids) {
                ids = true;
            } else {
                Usage();
                return 2;
            }
        }
        store.Open(Store::DefaultPath(), false);
        return Dump(store, utf8, ids);
    }
    if (command == "seed" && argc >= 4) {
        if (!store.Open(Store::DefaultPath(), true)) {
            std::fprintf(stderr, "wabdump: cannot open %s\n", store.Path().c_str());
            return 1;
        }
        return Seed(store, argv[2], std::atoi(argv[3]), argc > 4 ? argv[4] : nullptr);
    }
    Usage();
    return 2;
}
