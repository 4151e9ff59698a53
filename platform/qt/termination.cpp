#include "platform/qt/termination.h"

#ifndef _WIN32
#include <QCoreApplication>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace talvex::platform::qt {

#ifndef _WIN32
namespace {

// A signal handler may do next to nothing; it writes a byte that the message loop reads.
int wake_fds[2] = {-1, -1};

extern "C" void on_termination_signal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wake_fds[0], &byte, 1);
  errno = saved;
}

}  // namespace

void quit_on_termination_request() {
  if (wake_fds[0] != -1 || socketpair(AF_UNIX, SOCK_STREAM, 0, wake_fds) != 0)
    return;
  auto* notifier =
      new QSocketNotifier(wake_fds[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
    notifier->setEnabled(false);
    QCoreApplication::quit();
  });

  struct sigaction action {};
  action.sa_handler = on_termination_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP})
    sigaction(signal, &action, nullptr);
}

#else

void quit_on_termination_request() {}

#endif

}  // namespace talvex::platform::qt
