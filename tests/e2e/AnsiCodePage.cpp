// Prints the ANSI code page Windows gives this process, so a test sees which code page the
// programs it starts run with.
#include <windows.h>

#include <cstdio>

int main()
{
    std::printf("%u\n", ::GetACP());
    return 0;
}
