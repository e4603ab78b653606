// fetch_contacts URL [USER PASSWORD]
// Downloads the contacts file as a run does, parses it and prints one line per record.
#include "app/FileHelpers.h"
#include "app/TextHelpers.h"
#include "contacts/CsvReader.h"
#include "contacts/HttpDownload.h"

#include <cstdio>
#include <exception>

using namespace tessaly;

namespace {

const char* Or(const std::string& text, const char* fallback)
{
    return text.empty() ? fallback : text.c_str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fetch_contacts URL [USER PASSWORD]\n");
        return 2;
    }
    const std::string path = ExecutableFolder() + "CorvaneTessaly";
    ReadBuffer buffer;
    DownloadServices services{[] { return false; }, [](NoticeKind, const std::string& text) {
                                  std::fprintf(stderr, "warning: %s\n", text.c_str());
                              }};
    int status = 1;
    try {
        if (DownloadFile(argv[1], path, Trim(argc > 2 ? argv[2] : ""), Trim(argc > 3 ? argv[3] : ""), buffer,
                         services)) {
            TContactList list(500);
            std::vector<std::string> lines = SplitLines(ReadTextFile(path));
            ParseRows(list, lines, [] { return false; });
            int number = 0;
            for (const TContactInfo& contact : list)
                std::printf("%3d. %-28s %-44s %-28s %-20s %s\n", ++number, Or(contact.DisplayName, "(no name)"),
                            contact.Email.c_str(), contact.Company.c_str(), contact.BusinessPhone.c_str(),
                            contact.HomeCity.c_str());
            std::printf("%zu contact(s) downloaded and parsed\n", list.Count());
            status = 0;
        } else {
            std::fprintf(stderr, "Sync operation failed\n");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
    }
    (void)ForceDeleteFile(path);
    return status;
}
