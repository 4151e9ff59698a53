#pragma once

struct HICON__;

namespace talvex::platform::win32 {

// The program's icon, `size` pixels square, drawn with GDI+: the picture the Qt program draws (a
// receipt coming out of a printer, on a 64-unit grid), with an alpha channel. The caller owns the
// icon and destroys it with DestroyIcon. Null when GDI+ cannot draw it.
HICON__* draw_program_icon(int size);

}  // namespace talvex::platform::win32
