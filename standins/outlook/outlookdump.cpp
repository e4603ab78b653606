// outlookdump: prints the contacts folders under the default Contacts folder of the
// registered "Outlook.Application", then its Deleted Items folder, and seeds them for
// tests. Works through automation
// by name, like any client of the object model.
//
//   outlookdump [--utf8] [--reset] [--version TEXT] [--fail-save N TEXT] [--folder NAME]
//               [--distlist FOLDER NAME] [--contact FOLDER FIELD...] [--edit FOLDER N PROPERTY VALUE]
//               [--get FOLDER N PROPERTY] [--empty-deleted] [--dump] [--ids] [--calls]
//
// Commands run in order; without any, the store is dumped. It reads what the guard
// protects (e-mail addresses): give it no TESSALY_OUTLOOK_GUARD. Texts are printed in the ANSI
// code page, or as UTF-8 after --utf8 (which keeps every character). Dump lines:
//   folder<TAB>name<TAB>ShowAsOutlookAB (true or false)
//   contact<TAB>the 18 record fields in record order
//   distlist<TAB>name
// The Deleted Items folder comes last, always, in the same form ("folder<TAB>Deleted
// Items<TAB>false", then what was deleted).
// --edit puts one property of the folder's n-th item (from 1) and saves it, as a user's
// edit in Outlook's window does (its modification time moves on).
// --get prints one property of the folder's n-th item ("value<TAB>text"), as any client
// reads it: with the guard on, a protected one meets it.
// --empty-deleted empties Deleted Items as a user does: its items are deleted for good.
// --ids prints the folders and, instead of each item's fields, its EntryID:
//   folder<TAB>name
//   id<TAB>EntryID<TAB>contact (or distlist)<TAB>full name (or list name)
// --calls prints what the last client before this one cost the stand-in, from its first
// object to the release of its last (a session; 0 when none was recorded):
//   calls<TAB>session number<TAB>GetIDsOfNames calls<TAB>Invoke calls
// and the calls of protected members that met the guard since the store was reset:
//   protected<TAB>count
// Tabs, line breaks and backslashes in values are written as \t, \n (\r) and \\.
#include "base/OleError.h"
#include "base/WideText.h"
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/EscapedFields.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using namespace tessaly;
using namespace tessaly::outlook;

namespace {

UINT outputCodePage = CP_ACP;

std::string Escaped(const std::wstring& value)
{
    return standins::EscapeField(WideToText(value.c_str(), static_cast<int>(value.size()), outputCodePage));
}

void PrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

class Session {
public:
    Session()
    {
        OleCheck(CreateApplication());
        ComPtr<IDispatch> space = AsDispatch(DispGet(application_.Get(), kSession));
        DispCall(space.Get(), kLogon, {Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(true)});
        contacts_ = AsDispatch(DispCall(space.Get(), kGetDefaultFolder, {Variant(olFolderContacts)}));
        folders_ = AsDispatch(DispGet(contacts_.Get(), kFolders));
        deletedItems_ = AsDispatch(DispCall(space.Get(), kGetDefaultFolder, {Variant(kDeletedItemsFolder)}));
    }

    IDispatch* Application() const { return application_.Get(); }

    void EmptyDeletedItems() const
    {
        ComPtr<IDispatch> items = AsDispatch(DispGet(deletedItems_.Get(), kItems));
        for (int left = AsInteger(DispGet(items.Get(), kCount)); left > 0; --left)
            DispCall(items.Get(), kRemove, {Variant(left)});
    }

    ComPtr<IDispatch> FolderNamed(const std::wstring& name)
    {
        const int count = AsInteger(DispGet(folders_.Get(), kCount));
        for (int i = 1; i <= count; ++i) {
            ComPtr<IDispatch> folder = AsDispatch(DispGet(folders_.Get(), kItem, {Variant(i)}));
            if (AsText(DispGet(folder.Get(), kName)) == name)
                return folder;
        }
        return AsDispatch(DispCall(folders_.Get(), kAdd, {Variant(name), Variant(olFolderContacts)}));
    }

    void Dump(bool ids = false)
    {
        const int count = AsInteger(DispGet(folders_.Get(), kCount));
        for (int i = 1; i <= count; ++i)
            DumpFolder(AsDispatch(DispGet(folders_.Get(), kItem, {Variant(i)})).Get(), ids);
        DumpFolder(deletedItems_.Get(), ids);
    }

private:
    // OlDefaultFolders
    static constexpr int kDeletedItemsFolder = 3;

    static void DumpFolder(IDispatch* folder, bool ids)
    {
        const bool shown = AsInteger(DispGet(folder, kShowAsOutlookAB)) != 0;
        std::string folderLine = "folder\t";
        folderLine += Escaped(AsText(DispGet(folder, kName)));
        if (!ids)
            folderLine += shown ? "\ttrue" : "\tfalse";
        PrintLine(folderLine);
        ComPtr<IDispatch> items = AsDispatch(DispGet(folder, kItems));
        const int itemCount = AsInteger(DispGet(items.Get(), kCount));
        for (int j = 1; j <= itemCount; ++j) {
            ComPtr<IDispatch> item = AsDispatch(DispGet(items.Get(), kItem, {Variant(j)}));
            const bool list = AsInteger(DispGet(item.Get(), kClass)) == olDistributionList;
            if (ids) {
                std::string line = "id\t" + Escaped(AsText(DispGet(item.Get(), kEntryID)));
                line += list ? "\tdistlist\t" : "\tcontact\t";
                line += Escaped(AsText(DispGet(item.Get(), list ? kDLName : kContactProperties[2])));
                PrintLine(line);
                continue;
            }
            if (list) {
                PrintLine(std::string("distlist\t") += Escaped(AsText(DispGet(item.Get(), kDLName))));
                continue;
            }
            std::string line = "contact";
            for (const wchar_t* property : kContactProperties)
                (line += '\t') += Escaped(AsText(DispGet(item.Get(), property)));
            PrintLine(line);
        }
    }

    HRESULT CreateApplication()
    {
        return ::CoCreateInstance(CLSID_Application, nullptr, kApplicationContext, IID_PPV_ARGS(&application_));
    }

    ComPtr<IDispatch> application_;
    ComPtr<IDispatch> contacts_;
    ComPtr<IDispatch> folders_;
    ComPtr<IDispatch> deletedItems_;
};

std::wstring Wide(const char* text)
{
    return AnsiToWide(text);
}

// A stand-in setting, through the application's extra member.
void Set(const Session& session, const wchar_t* key, const char* value)
{
    DispCall(session.Application(), L"StandInSet", {Variant(std::wstring(key)), Variant(Wide(value))});
}

int Usage()
{
    std::fputs("usage: outlookdump [--utf8] [--reset] [--version TEXT] [--fail-save N TEXT] [--folder NAME]\n"
               "                   [--distlist FOLDER NAME] [--contact FOLDER FIELD...] [--edit FOLDER N PROPERTY VALUE]\n"
               "                   [--get FOLDER N PROPERTY] [--empty-deleted] [--dump] [--ids] [--calls]\n",
               stderr);
    return 2;
}

int Run(int argc, char** argv)
{
    Session session;
    bool dumped = false;
    bool changed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        auto needs = [&](int count) {
            if (i + count >= argc)
                throw std::invalid_argument(command);
        };
        if (command == "--utf8") {
            outputCodePage = CP_UTF8;
            continue;
        }
        if (command == "--reset") {
            DispCall(session.Application(), L"StandInReset");
        } else if (command == "--version") {
            needs(1);
            Set(session, L"version", argv[++i]);
        } else if (command == "--fail-save") {
            needs(2);
            Set(session, L"fail-save", argv[++i]);
            Set(session, L"fail-save-text", argv[++i]);
        } else if (command == "--folder") {
            needs(1);
            session.FolderNamed(Wide(argv[++i]));
        } else if (command == "--distlist") {
            needs(2);
            ComPtr<IDispatch> folder = session.FolderNamed(Wide(argv[++i]));
            ComPtr<IDispatch> items = AsDispatch(DispGet(folder.Get(), kItems));
            ComPtr<IDispatch> list = AsDispatch(DispCall(items.Get(), kAdd, {Variant(olDistributionListItem)}));
            DispPut(list.Get(), kDLName, Variant(Wide(argv[++i])));
            DispCall(list.Get(), kSave);
        } else if (command == "--contact") {
            needs(1);
            ComPtr<IDispatch> folder = session.FolderNamed(Wide(argv[++i]));
            ComPtr<IDispatch> items = AsDispatch(DispGet(folder.Get(), kItems));
            ComPtr<IDispatch> contact = AsDispatch(DispCall(items.Get(), kAdd, {Variant(olContactItem)}));
            for (const wchar_t* property : kContactProperties) {
                if (i + 1 >= argc || std::string(argv[i + 1]).rfind("--", 0) == 0)
                    break;
                DispPut(contact.Get(), property, Variant(Wide(argv[++i])));
            }
            DispCall(contact.Get(), kSave);
        } else if (command == "--edit") {
            needs(4);
            ComPtr<IDispatch> folder = session.FolderNamed(Wide(argv[++i]));
            ComPtr<IDispatch> items = AsDispatch(DispGet(folder.Get(), kItems));
            ComPtr<IDispatch> item = AsDispatch(DispGet(items.Get(), kItem, {Variant(std::atoi(argv[++i]))}));
            const std::wstring property = Wide(argv[++i]);
            DispPut(item.Get(), property.c_str(), Variant(Wide(argv[++i])));
            DispCall(item.Get(), kSave);
        } else if (command == "--get") {
            needs(3);
            ComPtr<IDispatch> folder = session.FolderNamed(Wide(argv[++i]));
            ComPtr<IDispatch> items = AsDispatch(DispGet(folder.Get(), kItems));
            ComPtr<IDispatch> item = AsDispatch(DispGet(items.Get(), kItem, {Variant(std::atoi(argv[++i]))}));
            const std::wstring property = Wide(argv[++i]);
            PrintLine("value\t" + Escaped(AsText(DispGet(item.Get(), property.c_str()))));
            dumped = true;
            continue;
        } else if (command == "--empty-deleted") {
            session.EmptyDeletedItems();
        } else if (command == "--dump") {
            session.Dump();
            dumped = true;
            continue;
        } else if (command == "--ids") {
            session.Dump(true);
            dumped = true;
            continue;
        } else if (command == "--calls") {
            const std::wstring last = AsText(DispCall(session.Application(), L"StandInCalls"));
            PrintLine("calls\t" + (last.empty() ? std::string("0\t0\t0") : WideToAnsi(last.c_str())));
            PrintLine("protected\t" + WideToAnsi(AsText(DispCall(session.Application(), L"StandInProtectedCalls")).c_str()));
            dumped = true;
            continue;
        } else {
            return Usage();
        }
        changed = true;
    }
    if (!dumped && !changed)
        session.Dump();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (FAILED(::CoInitialize(nullptr)))
        return 1;
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const EOleError& error) {
        std::fprintf(stderr, "outlookdump: %s\n", error.what());
    } catch (const std::invalid_argument&) {
        status = Usage();
    }
    std::fflush(stdout);
    ::CoUninitialize();
    return status;
}
