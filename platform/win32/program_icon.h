#pragma once

#include <vector>

struct HICON__;

namespace talvex::platform::win32 {

// The resource id of the icon in the program file (packaging/windows/talvex.rc.in).
inline constexpr int kProgramIconId = 1;

// The program's icon, `size` pixels square, drawn with GDI+: the picture the Qt program draws (a
// receipt coming out of a printer, on a 64-unit grid), with an alpha channel. The caller owns the
// icon and destroys it with DestroyIcon. Null when GDI+ cannot draw it.
HICON__* draw_program_icon(int size);

// The icon of the program file at `size` pixels, or the drawn one in a program without it. The
// caller destroys it with DestroyIcon.
HICON__* program_icon(int size);

// The picture as an .ico file with an image for each of `sizes` (1 to 256 pixels): 32-bit bitmaps
// with their alpha, and 256 as PNG, as Windows' own icons are stored. Empty when drawing fails.
std::vector<unsigned char> program_icon_file(const std::vector<int>& sizes);

}  // namespace talvex::platform::win32
