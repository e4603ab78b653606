#include "ui/FontHelpers.h"
#include "ui/GdiScopes.h"

#include <cstring>
#include <system_error>

namespace tessaly {

int ScreenPixelsPerInch()
{
    WindowDC screen(nullptr);
    const int ppi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

LOGFONTA DefaultLogFont(int pixelsPerInch)
{
    LOGFONTA font{};
    font.lfHeight = DefaultFontHeight(pixelsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strcpy(font.lfFaceName, "Tahoma");
    return font;
}

UniqueGdiObject CreateDefaultFont(int pixelsPerInch, bool bold)
{
    LOGFONTA font = DefaultLogFont(pixelsPerInch);
    if (bold)
        font.lfWeight = FW_BOLD;
    UniqueGdiObject handle(::CreateFontIndirectA(&font));
    if (!handle)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateFontIndirect");
    return handle;
}

} // namespace tessaly
