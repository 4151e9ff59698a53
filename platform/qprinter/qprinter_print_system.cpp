#include "platform/qprinter/qprinter_print_system.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>

#include "platform/qt/page_renderer.h"

namespace talvex::platform {

std::vector<std::string> QPrinterPrintSystem::installed_printers() {
  names_.clear();
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
    names_.push_back(info.printerName().toStdString());
  listed_ = true;
  return names_;
}

std::optional<int> QPrinterPrintSystem::default_printer() {
  const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
  if (fallback.isNull())
    return std::nullopt;
  if (!listed_)
    installed_printers();
  const std::string wanted = fallback.printerName().toStdString();
  for (std::size_t k = 0; k < names_.size(); ++k) {
    if (names_[k] == wanted)
      return static_cast<int>(k);
  }
  return std::nullopt;
}

const std::string& QPrinterPrintSystem::name(int index) {
  if (!listed_)
    installed_printers();
  if (index < 0 || index >= static_cast<int>(names_.size()))
    throw PrinterError("Printer index out of range");
  return names_[static_cast<std::size_t>(index)];
}

bool QPrinterPrintSystem::can_open(int index) {
  if (!listed_)
    installed_printers();
  if (index < 0 || index >= static_cast<int>(names_.size()))
    return false;
  return !QPrinterInfo::printerInfo(QString::fromStdString(name(index))).isNull();
}

void QPrinterPrintSystem::print(int index, const PrintedPage& page) {
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name(index)));
  if (info.isNull())
    throw PrinterError("Printer selected is not valid");
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(page.title));
  printer.setFullPage(false);

  QPainter painter;
  if (!painter.begin(&printer))
    throw PrinterError("Printer selected is not valid");
  qt::draw_page(painter, page);
  if (!painter.end() || printer.printerState() == QPrinter::Error)
    throw PrinterError("The printer did not accept the document");
}

}  // namespace talvex::platform
