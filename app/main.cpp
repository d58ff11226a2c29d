// zarvel: the keyboard's desktop program.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/instance_lock.h"
#include "app/single_instance.h"
#include "app/start_gate.h"
#include "core/version.h"

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  std::vector<std::string> args(argv + 1, argv + argc);
  zarvel::WindowOptions options;
  std::string error;
  if (!zarvel::ParseWindowCommandLine(args, options, error)) {
    std::fprintf(stderr, "zarvel: %s\n", error.c_str());
    return zarvel::kExitBadCommandLine;
  }
  if (options.help) {
    std::fputs(zarvel::WindowUsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("zarvel %s\n", zarvel::ZarvelVersion());
    return 0;
  }
  // Decided before the window system is touched: a copy that only ends the
  // running one (/Kill) or brings it to the front needs no display, so ssh
  // sessions, scripts and service units can use it.
  zarvel::SingleInstance instance;
  zarvel::InstanceLock lock(instance.SocketPath().toStdString() + zarvel::kInstanceLockSuffix);
  const zarvel::StartGateResult gate = zarvel::PassStartGate(options.switches, lock, instance);
  if (!gate.run) return gate.exit_status;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zarvel"));
  QApplication::setDesktopFileName(QStringLiteral("zarvel"));
  // The program lives in the notification area: closing its last window
  // (the About box, a message box) does not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  zarvel::Application application(std::move(options), started, &lock, gate.listen);
  return application.Run();
}
