// The Windows program's entry: reads the command line and wires the main window to the Win32
// shell, the printers and the clock, as main.cpp does with the Qt shell on Linux.

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
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
#include "platform/files/directory_print_system.h"
#include "platform/module_address.h"
#include "platform/network.h"
#include "platform/printer.h"
#include "platform/win32/error_box.h"
#include "platform/win32/library_search.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/notification_icon.h"
#include "platform/win32/process_start.h"
#include "platform/win32/program_log.h"
#include "platform/win32/shutdown_block_reason.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/spooler_print_system.h"
#include "platform/win32/status_panel.h"
#include "platform/win32/ticker.h"

namespace {

namespace app = talvex::app;
namespace win32 = talvex::platform::win32;

// The command line's own answers (--help, --version, a mistake) without a console: what they
// would write is shown in a box instead, and a mistake is logged too.
std::optional<int> answer_in_a_box(const std::string& program, app::CommandLine& options) {
  std::ostringstream said;
  std::streambuf* out = std::cout.rdbuf(said.rdbuf());
  std::streambuf* errors = std::cerr.rdbuf(said.rdbuf());
  const auto code = app::answer_command_line(program, win32::program_arguments(), options);
  std::cout.rdbuf(out);
  std::cerr.rdbuf(errors);
  if (!code)
    return code;
  if (*code == 0) {
    win32::show_startup_notice("Talvex", said.str());
  } else {
    std::cerr << said.str() << std::flush;
    win32::show_startup_failure("Talvex", said.str());
  }
  return code;
}

int run(bool console, const std::string& path, const app::CommandLine& options);

}  // namespace

int main() {
  // Libraries come from the program's folder and the system's, never from the current folder or
  // the PATH, where anybody may have put one of the same name.
  win32::restrict_library_search();
  // Started from a console (or with its output sent to a file) the program says there why it does
  // not start; started from the desktop it says so in a box. Every error line goes to the user's
  // log as well, with its time.
  const bool console = win32::write_to_starting_console();
  win32::ProgramLog log(win32::user_log_file());
  const win32::LoggedStream logged_errors(std::cerr, log);

  const std::string path = talvex::platform::program_path();
  app::CommandLine options;
  const auto code = console
                        ? app::answer_command_line("talvex", win32::program_arguments(), options)
                        : answer_in_a_box("talvex", options);
  if (code)
    return *code;
  return run(console, path, options);
}

namespace {

int run(bool console, const std::string& path, const app::CommandLine& options) {
  namespace data = talvex::data;
  namespace platform = talvex::platform;

  const std::string program = "talvex";
  const std::string title = app::application_title(path.empty() ? program : path);
  const auto fail_start = [console](const std::exception& e) {
    const std::string text = app::startup_failure_text(e);
    std::cerr << text << std::endl;
    if (!console)
      win32::show_startup_failure("Application Error", text);
    return 1;
  };
  // Whatever throws while the service starts (the window, the icon, the timers) ends the start
  // with its box.
  try {
    data::ConnectionParams connection =
        data::connection_params(options.connection, data::read_option_files(options.defaults_file));
    // The client's login plugins are shipped beside the program.
    connection.plugin_dir = win32::program_folder_ansi();

    win32::SingleInstance instance(app::service_key(connection));
    switch (instance.acquire()) {
      case win32::SingleInstance::Result::Acquired:
        break;
      case win32::SingleInstance::Result::HeldByAnother: {
        const std::string text = app::already_running_text(connection, instance.holder());
        std::cerr << text << std::endl;
        if (!console)
          win32::show_startup_notice("Talvex", text);
        return app::kAlreadyRunningExitCode;
      }
      case win32::SingleInstance::Result::Unavailable:
        // Printing matters more than a second icon: the service starts without the check.
        std::cerr << program << ": cannot check whether Talvex already runs: " << instance.error()
                  << std::endl;
        break;
    }

    win32::StatusPanel panel;
    win32::ShutdownBlockReason printing_notice(panel.window(), std::cerr);
    win32::ErrorBox message_box(std::cerr, true);
    std::unique_ptr<platform::PrintSystem> print_system;
    if (options.printers_dir) {
      // The command line is UTF-8; a path made from a plain string would read it in the ANSI code
      // page.
      const std::string& dir = *options.printers_dir;
      print_system = std::make_unique<platform::DirectoryPrintSystem>(
          std::filesystem::path(std::u8string(dir.begin(), dir.end())));
    } else {
      print_system = std::make_unique<win32::SpoolerPrintSystem>();
    }
    platform::Printer printer(*print_system);
    platform::SystemClock clock;

    // Held by pointer so that the end of the Windows session can end them before the process goes.
    auto service = std::make_unique<app::PrintService>(
        connection, app::Services{panel, printer, message_box, clock, title,
                                  platform::computer_name(), options.tick, printing_notice});
    service->open_database();

    // A click or a tick that comes after the service has ended does nothing.
    for (auto& [button, action] : app::panel_actions([&service] { return service.get(); }))
      panel.on_button(button, std::move(action));
    panel.on_closed([] { win32::end_message_loop(); });

    service->start();
    std::cout << app::running_text(connection) << std::endl;

    auto data_check_timer = std::make_unique<win32::Ticker>(options.tick, [&service] {
      if (service)
        service->data_check_tick();
    });
    auto queue_check_timer = std::make_unique<win32::Ticker>(options.tick, [&service] {
      if (service)
        service->queue_check_tick();
    });
    data_check_timer->start();
    queue_check_timer->start();

    auto icon = std::make_unique<win32::NotificationIcon>(title);
    icon->on_click([&service] {
      if (service)
        service->show_panel();
    });
    // Without a notification area the panel is the operator's only view of the service. The icon
    // is added whenever an area appears (the taskbar may still be starting at login); the panel
    // stays until the operator hides it, and the icon opens it from then on.
    if (!icon->available())
      service->show_panel();
    icon->show();

    // Shutting down or logging off: messages are handled one at a time, so the job in hand has
    // ended when this runs. The timers stop, the service lets go of the database, the icon goes.
    panel.on_session_end([&] {
      data_check_timer.reset();
      queue_check_timer.reset();
      service.reset();
      icon.reset();
      std::cout << "Talvex stopped: the Windows session is ending." << std::endl;
      win32::end_message_loop();
    });

    panel.show_window();
    return win32::run_message_loop();
  } catch (const std::exception& e) {
    return fail_start(e);
  }
}

}  // namespace
