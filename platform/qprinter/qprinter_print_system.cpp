#include "platform/qprinter/qprinter_print_system.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>

#include "platform/qt/page_renderer.h"

namespace talvex::platform {

std::vector<std::string> QPrinterPrintSystem::list_names() {
  std::vector<std::string> names;
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
    names.push_back(info.printerName().toStdString());
  return names;
}

std::optional<std::string> QPrinterPrintSystem::default_name() {
  const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
  if (fallback.isNull())
    return std::nullopt;
  return fallback.printerName().toStdString();
}

bool QPrinterPrintSystem::can_open(int index) {
  return has_index(index) &&
         !QPrinterInfo::printerInfo(QString::fromStdString(name(index))).isNull();
}

std::string QPrinterPrintSystem::print(int index, const PrintedPage& page) {
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
  return {};
}

}  // namespace talvex::platform
