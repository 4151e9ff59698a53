// The program entry: reads the command line and wires the main window to the Qt shell, the
// printers and the clock. Everything it calls lives in the libraries.

#include <QApplication>

#include <algorithm>
#include <array>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/application_title.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/startup_failure.h"
#include "platform/clock.h"
#include "platform/files/directory_print_system.h"
#include "platform/module_address.h"
#include "platform/printer.h"
#include "platform/qt/display.h"
#include "platform/qt/error_box.h"
#include "platform/qt/notification_icon.h"
#include "platform/qt/status_panel.h"
#include "platform/qt/ticker.h"
#ifdef _WIN32
#include "platform/qprinter/qprinter_print_system.h"
#else
#include "platform/cups/cups_print_system.h"
#endif

namespace {

using talvex::app::TForm1;

#ifdef _WIN32
using SystemPrintSystem = talvex::platform::QPrinterPrintSystem;
#else
using SystemPrintSystem = talvex::platform::CupsPrintSystem;
#endif

constexpr std::array<void (TForm1::*)(), 8> kButtonHandlers = {
    &TForm1::Button1Click, &TForm1::Button2Click, &TForm1::Button3Click, &TForm1::Button4Click,
    &TForm1::Button5Click, &TForm1::Button6Click, &TForm1::Button7Click, &TForm1::Button8Click,
};

}  // namespace

int main(int argc, char** argv) {
  namespace app = talvex::app;
  namespace platform = talvex::platform;
  namespace qt = talvex::platform::qt;

  const std::string program = argc > 0 ? argv[0] : "talvex";
  app::CommandLine options;
  try {
    options =
        app::parse_command_line(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  } catch (const app::CommandLineError& e) {
    std::cerr << program << ": " << e.what() << "\n\n" << app::usage(program);
    return 2;
  }
  if (options.help) {
    std::cout << app::usage(program);
    return 0;
  }

  qt::prepare_process();
  // Qt reads no option of its own: the command line above is the whole interface.
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  // Only the main window's closing ends the program, not the last error box closing while the
  // panel is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  const bool display = qt::has_display();

  const std::string path = platform::program_path();
  const std::string title = app::application_title(path.empty() ? program : path);

  qt::StatusPanel panel;
  qt::ErrorBox message_box(std::cerr, !display);
  std::unique_ptr<platform::PrintSystem> print_system;
  if (options.printers_dir)
    print_system = std::make_unique<platform::DirectoryPrintSystem>(*options.printers_dir);
  else
    print_system = std::make_unique<SystemPrintSystem>();
  platform::Printer printer(*print_system);
  platform::SystemClock clock;

  TForm1 form(options.connection, {panel, printer, message_box, clock, title});
  try {
    form.load();
  } catch (const std::exception& e) {
    const std::string text = app::startup_failure_text(e);
    std::cerr << text << std::endl;
    if (display)
      qt::show_startup_failure("Application Error", text);
    return 1;
  }

  for (std::size_t i = 0; i < kButtonHandlers.size(); ++i)
    panel.on_button(static_cast<int>(i + 1), [&form, i] { (form.*kButtonHandlers[i])(); });
  panel.on_closed([] { QApplication::quit(); });

  form.FormCreate();

  qt::Ticker timer1(options.tick, [&form] { form.Timer1Timer(); });
  qt::Ticker timer2(options.tick, [&form] { form.Timer2Timer(); });
  timer1.start();
  timer2.start();

  qt::NotificationIcon icon(title);
  icon.on_click([&form] { form.TrayIcon1Click(); });
  if (qt::NotificationIcon::available()) {
    icon.show();
  } else {
    // Without a notification area the panel is the operator's only view of the service.
    form.TrayIcon1Click();
  }
  panel.show_window();
  return QApplication::exec();
}
