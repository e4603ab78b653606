// create_files_bench N: creates N small files in one new folder, as the Windows Mail
// destination does, and prints "create_files_seconds". A reference for the file
// system beneath the program: under Wine each new name is looked up without regard to
// case by reading the whole folder, so this alone grows with the square of N.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tessaly-create-files-bench";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    LARGE_INTEGER frequency, started, ended;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&started);
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\Person" + std::to_string(i) + ".contact";
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(file, "x", 1, &written, nullptr);
        ::CloseHandle(file);
    }
    ::QueryPerformanceCounter(&ended);
    for (int i = 0; i < count; ++i)
        ::DeleteFileA((folder + "\\Person" + std::to_string(i) + ".contact").c_str());
    ::RemoveDirectoryA(folder.c_str());
    std::printf("create_files_seconds %.2f\n", double(ended.QuadPart - started.QuadPart) / double(frequency.QuadPart));
    return 0;
}
