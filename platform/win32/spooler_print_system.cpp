#include "platform/win32/spooler_print_system.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>

#include "platform/character_height.h"
#include "platform/win32/wide_text.h"

namespace talvex::platform::win32 {
namespace {

// The model's coordinates are dots of a 203-dpi receipt printer.
constexpr int kModelDpi = 203;

// The font of every text: the system's dialog face, regular, `height` dots high (the em height, as
// a negative height asks for it).
HFONT make_font(int height) {
  LOGFONTW font{};
  font.lfHeight = -height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

[[noreturn]] void fail(const std::string& what) {
  throw PrinterError(what + ": " + system_error_text(GetLastError()));
}

// A printer device context for the object's life.
class PrinterDc {
 public:
  explicit PrinterDc(const std::string& printer)
      : dc_(CreateDCW(L"WINSPOOL", wide(printer).c_str(), nullptr, nullptr)) {
    if (dc_ == nullptr)
      fail("Cannot open the printer " + printer);
  }
  ~PrinterDc() { DeleteDC(dc_); }
  PrinterDc(const PrinterDc&) = delete;
  PrinterDc& operator=(const PrinterDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

void draw_texts(HDC dc, const PrintedPage& page) {
  const int dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  for (const DrawnText& t : page.texts) {
    HFONT font = make_font(character_height(t.points, dpi_y));
    if (font == nullptr)
      fail("Cannot make a font of " + std::to_string(t.points) + " points");
    HGDIOBJ before = SelectObject(dc, font);
    const std::wstring text = wide(t.text);
    const BOOL drawn =
        ExtTextOutW(dc, MulDiv(t.x, dpi_x, kModelDpi), MulDiv(t.y, dpi_y, kModelDpi), 0, nullptr,
                    text.c_str(), static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc, before);
    DeleteObject(font);
    if (!drawn)
      fail("Cannot draw on the page");
  }
}

}  // namespace

std::vector<std::string> SpoolerPrintSystem::installed_printers() {
  constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersW(kFlags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(std::max<DWORD>(needed, 1));
  names_.clear();
  if (!EnumPrintersW(kFlags, nullptr, 4, buffer.data(), needed, &needed, &count))
    return names_;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    names_.push_back(utf8(printers[i].pPrinterName));
  return names_;
}

std::optional<int> SpoolerPrintSystem::default_printer() {
  wchar_t name[512];
  DWORD size = sizeof name / sizeof name[0];
  if (!GetDefaultPrinterW(name, &size))
    return std::nullopt;
  const auto found = std::find(names_.begin(), names_.end(), utf8(name));
  if (found == names_.end())
    return std::nullopt;
  return static_cast<int>(found - names_.begin());
}

bool SpoolerPrintSystem::can_open(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= names_.size())
    return false;
  HANDLE printer = nullptr;
  std::wstring name = wide(names_[static_cast<std::size_t>(index)]);
  if (!OpenPrinterW(name.data(), &printer, nullptr))
    return false;
  ClosePrinter(printer);
  return true;
}

std::string SpoolerPrintSystem::print(int index, const PrintedPage& page) {
  if (!can_open(index))
    throw PrinterError("Printer index out of range.");
  const PrinterDc dc(names_[static_cast<std::size_t>(index)]);
  const std::wstring title = wide(page.title);
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = title.c_str();
  const int job = StartDocW(dc.get(), &document);
  if (job <= 0)
    fail("Cannot start the document " + page.title);
  try {
    if (StartPage(dc.get()) <= 0)
      fail("Cannot start the page");
    draw_texts(dc.get(), page);
    if (EndPage(dc.get()) <= 0)
      fail("Cannot end the page");
  } catch (...) {
    AbortDoc(dc.get());
    throw;
  }
  if (EndDoc(dc.get()) <= 0)
    fail("Cannot spool the document " + page.title);
  return std::to_string(job);
}

}  // namespace talvex::platform::win32
