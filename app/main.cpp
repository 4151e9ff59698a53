// The program entry: reads the command line and wires the main window to the Qt shell, the
// printers and the clock. Everything it calls lives in the libraries.

#include <QApplication>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/application_title.h"
#include "app/command_line.h"
#include "app/panel_actions.h"
#include "app/print_service.h"
#include "app/single_service.h"
#include "app/startup_failure.h"
#include "data/option_files.h"
#include "platform/clock.h"
#include "platform/cups/cups_print_system.h"
#include "platform/files/directory_print_system.h"
#include "platform/module_address.h"
#include "platform/network.h"
#include "platform/printer.h"
#include "platform/qt/display.h"
#include "platform/qt/error_box.h"
#include "platform/qt/notification_icon.h"
#include "platform/qt/qt_messages.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/status_panel.h"
#include "platform/qt/termination.h"
#include "platform/qt/ticker.h"

int main(int argc, char** argv) {
  namespace app = talvex::app;
  namespace data = talvex::data;
  namespace platform = talvex::platform;
  namespace qt = talvex::platform::qt;

  const std::string program = argc > 0 ? argv[0] : "talvex";
  app::CommandLine options;
  if (const auto code = app::answer_command_line(
          program, std::vector<std::string>(argv + std::min(argc, 1), argv + argc), options))
    return *code;

  qt::prepare_process();
  qt::quiet_qt_notes();
  // Qt reads no option of its own: the command line above is the whole interface.
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  // The desktop matches the windows to the menu entry, and shows the icon on them.
  QGuiApplication::setDesktopFileName(QStringLiteral("talvex"));
  QApplication::setWindowIcon(qt::draw_program_icon());
  // Only the main window's closing ends the program, not the last error box closing while the
  // panel is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  qt::quit_on_termination_request();
  const bool display = qt::has_display();
  if (const auto unanswered = qt::unanswered_display()) {
    std::cerr << program << ": the display '" << *unanswered
              << "' does not answer; running without a window, with every message written here"
              << std::endl;
  }

  const std::string path = platform::program_path();
  const std::string title = app::application_title(path.empty() ? program : path);
  const auto fail_start = [display](const std::exception& e) {
    const std::string text = app::startup_failure_text(e);
    std::cerr << text << std::endl;
    if (display)
      qt::show_startup_failure("Application Error", text);
    return 1;
  };

  data::ConnectionParams connection;
  try {
    connection =
        data::connection_params(options.connection, data::read_option_files(options.defaults_file));
  } catch (const std::exception& e) {
    return fail_start(e);
  }

  qt::SingleInstance instance(app::service_key(connection));
  switch (instance.acquire()) {
    case qt::SingleInstance::Result::Acquired:
      break;
    case qt::SingleInstance::Result::HeldByAnother: {
      const std::string text = app::already_running_text(connection, instance.holder());
      std::cerr << text << std::endl;
      if (display)
        qt::show_startup_notice("Talvex", text);
      return app::kAlreadyRunningExitCode;
    }
    case qt::SingleInstance::Result::Unavailable:
      // Printing matters more than a second icon: the service starts without the check.
      std::cerr << program << ": cannot check whether Talvex already runs: " << instance.error()
                << std::endl;
      break;
  }

  qt::StatusPanel panel;
  qt::ErrorBox message_box(std::cerr, !display);
  std::unique_ptr<platform::PrintSystem> print_system;
  if (options.printers_dir)
    print_system = std::make_unique<platform::DirectoryPrintSystem>(*options.printers_dir);
  else
    print_system = std::make_unique<platform::CupsPrintSystem>();
  platform::Printer printer(*print_system);
  platform::SystemClock clock;

  app::PrintService service(connection, {panel, printer, message_box, clock, title,
                                         platform::computer_name(), options.tick});
  try {
    service.open_database();
  } catch (const std::exception& e) {
    return fail_start(e);
  }

  for (auto& [button, action] : app::panel_actions([&service] { return &service; }))
    panel.on_button(button, std::move(action));
  panel.on_closed([] { QApplication::quit(); });

  service.start();
  std::cout << app::running_text(connection) << std::endl;

  qt::Ticker data_check_timer(options.tick, [&service] { service.data_check_tick(); });
  qt::Ticker queue_check_timer(options.tick, [&service] { service.queue_check_tick(); });
  data_check_timer.start();
  queue_check_timer.start();

  qt::NotificationIcon icon(title);
  icon.on_click([&service] { service.show_panel(); });
  if (qt::NotificationIcon::available()) {
    icon.show();
  } else {
    // Without a notification area the panel is the operator's only view of the service.
    service.show_panel();
  }
  panel.show_window();
  return QApplication::exec();
}
