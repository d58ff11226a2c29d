#include "app/application.h"

#include <QApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/about_dialog.h"
#include "app/instance_lock.h"
#include "app/keyboard_write_runner.h"
#include "app/main_window.h"
#include "app/start_gate.h"
#include "app/tray_icon.h"
#include "app/window_tour.h"
#include "core/app_core.h"
#include "device/connection_context.h"
#include "device/connection_monitor.h"
#include "device/device_link.h"
#include "device/hid_device.h"
#include "device/input_listener.h"
#include "device/keyboard_choice.h"
#include "model/default_matrix.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"
#include "skin/settings.h"
#include "skin/skin_files.h"
#include "skin/widgets/skin_check.h"

namespace zarvel {
namespace {

// What the program does at start and exit, for people (and tests) who ask:
// QT_LOGGING_RULES="zarvel.start.info=true".
Q_LOGGING_CATEGORY(lcStart, "zarvel.start", QtWarningMsg)

constexpr int kHousekeepingFirstMs = 100;
constexpr int kHousekeepingPeriodMs = 50;
constexpr int kFirstScanPollMs = 20;
constexpr int kToolTimeoutMs = 20000;

// The peak resident memory of this process in kB (VmHWM); 0 when unknown.
long PeakMemoryKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return 0;
}

// The program's icon at every size the skin draws it.
QIcon ProgramIcon() {
  QIcon icon;
  for (int pixels : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString path = QString::fromStdString(SkinPath("zarvel_")) + QString::number(pixels) + ".png";
    if (QFile::exists(path)) icon.addFile(path, QSize(pixels, pixels));
  }
  return icon.availableSizes().isEmpty() ? TrayPicture(kNotConnectedTrayIcon) : icon;
}

}  // namespace

// The keyboard side of the run: the chosen backend, the command and
// notification interfaces, the link with its trace and what the program
// knows about the connected keyboard.
struct Application::DeviceSide {
  explicit DeviceSide(const KeyboardChoice& choice)
      : keyboard(choice),
        command(keyboard.Backend()),
        notifications(keyboard.Backend()),
        link(command),
        context(BuiltInDefaultMatrix()) {}
  ~DeviceSide() {
    ReportTrace::Detach(link);
    link.SetDeviceOpen(false);
    command.Close();
    notifications.Close();
  }
  ChosenKeyboard keyboard;
  HidDevice command;
  HidDevice notifications;
  DeviceLink link;
  ConnectionContext context;
  ReportTrace trace;
};

Application::Application(WindowOptions options, QElapsedTimer started, InstanceLock* lock, bool listen)
    : options_(std::move(options)), started_(started), lock_(lock), listen_(listen) {}

Application::~Application() {
  StopDeviceSide();
  if (own_lock_) own_lock_->Release();
}

int Application::Run() {
  const int status = StartUp();
  if (status >= 0) {
    StopDeviceSide();
    return status;
  }
  if (!exiting_) QApplication::exec();
  Shutdown();
  return exit_code_;
}

int Application::StartUp() {
  if (lock_ == nullptr) {
    own_lock_ = std::make_unique<InstanceLock>(instance_.SocketPath().toStdString() + kInstanceLockSuffix);
    const StartGateResult gate = PassStartGate(options_.switches, *own_lock_, instance_);
    if (!gate.run) return gate.exit_status;
    lock_ = own_lock_.get();
    listen_ = gate.listen;
  }
  signals_.Start();
  connect(&signals_, &SignalWatcher::exitRequested, this, &Application::RequestExit);
  // The user's settings and the program folder are read on first use; the
  // language is decided now, once, as it is kept for later runs.
  GetLanguageId();

  for (StartSwitch start_switch : options_.switches)
    if (start_switch == StartSwitch::kStart) start_hidden_ = true;

  const SkinCheckResult skin = CheckSkin(SkinFolder());
  if (!skin.ok) {
    std::fprintf(stderr, "%s\n", DescribeSkinFailure(skin).c_str());
    return 0;
  }

  QApplication::setWindowIcon(ProgramIcon());
  device_ = std::make_unique<DeviceSide>(options_.keyboard);
  if (!options_.keyboard.trace_file.empty()) {
    if (!device_->trace.Open(options_.keyboard.trace_file)) {
      std::fprintf(stderr, "zarvel: cannot open the trace file %s: %s\n", options_.keyboard.trace_file.c_str(),
                   device_->trace.OpenFailure().c_str());
      return kExitBadCommandLine;
    }
    device_->trace.Attach(device_->link);
  }
  // A copy whose probe could not tell keeps going without the socket, as the
  // only copy it believes it is; it never replaces a socket that may be live.
  if (listen_ && !instance_.Listen())
    qCWarning(lcStart) << "cannot listen on" << instance_.SocketPath() << ": later copies cannot reach this one";
  connect(&instance_, &SingleInstance::killRequested, this, [this] {
    qCInfo(lcStart) << "another copy asked this one to end";
    RequestExit();
  });

  CreateDeviceSide();
  semaphores_.CreateAll();
  StartDaemon();

  tray_ = std::make_unique<TrayIcon>();
  connect(tray_.get(), &TrayIcon::openRequested, window_.get(), &MainWindow::ShowRequest);
  connect(tray_.get(), &TrayIcon::aboutRequested, this, &Application::ShowAbout);
  // The user's own Exit: the window may ask first.
  connect(tray_.get(), &TrayIcon::exitRequested, window_.get(), &MainWindow::ExitByUser);
  connect(tray_.get(), &TrayIcon::shownLate, this, [] { qCInfo(lcStart) << "a tray appeared: icon shown"; });
  connect(window_.get(), &MainWindow::trayPictureChanged, tray_.get(), &TrayIcon::SetPicture);
  connect(window_.get(), &MainWindow::noticeForTray, tray_.get(), &TrayIcon::ShowNotice);
  const bool have_tray = tray_->CreateWhenTrayExists(kNotConnectedTrayIcon);

  MainWindow* window = window_.get();
  QMetaObject::invokeMethod(window, [window] { window->HandleInit(); }, Qt::QueuedConnection);
  ApplyLanguage();

  session_.Start();
  qCInfo(lcStart).noquote() << (start_hidden_ ? "started hidden" : "started") << (have_tray ? "with" : "without")
                            << "a tray icon";
  if (clock_.Start()) {
    connect(&clock_, &ClockWatcher::clockChanged, this, [this] {
      qCInfo(lcStart) << "the clock was set: applying";
      if (!exiting_ && window_) window_->RequestApply();
    });
    connect(&clock_, &ClockWatcher::resumed, this, [] { qCInfo(lcStart) << "resumed from suspend: nothing applied"; });
  }
  housekeeping_.setInterval(kHousekeepingFirstMs);
  connect(&housekeeping_, &QTimer::timeout, this, [this] { housekeeping_.setInterval(kHousekeepingPeriodMs); });
  housekeeping_.start();

  // Without a tray, a start that stays hidden (no keyboard at the first scan,
  // no /Start) would leave the user with no window and no icon: say why.
  if (!have_tray && !start_hidden_) WatchFirstScan();
  return -1;
}

void Application::CreateDeviceSide() {
  Settings& settings = UserSettings();
  window_ = std::make_unique<MainWindow>(settings);
  core_ = std::make_unique<AppCore>(device_->link, device_->context, *window_, window_->Prompts(), settings);
  core_->Start();
  window_->AttachCore(*core_);
  connect(window_.get(), &MainWindow::exitRequested, this, &Application::RequestExit);
  connect(window_.get(), &MainWindow::aboutRequested, this, &Application::ShowAbout);
  connect(window_.get(), &MainWindow::childDialogsClosing, this, [this] {
    if (about_ != nullptr) about_->reject();
  });
  connect(&instance_, &SingleInstance::openRequested, window_.get(), [this] {
    qCInfo(lcStart) << "another copy asked to show the window";
    window_->HandleOpen();
  });
  window_->installEventFilter(this);
  if (options_.report_first_paint || !options_.tour_folder.empty()) {
    // A tool waits for the window: it must hear when it never comes.
    QTimer::singleShot(kToolTimeoutMs, this, [this] {
      if (first_paint_seen_) return;
      std::fprintf(stderr, "zarvel: the window was not shown within %d s\n", kToolTimeoutMs / 1000);
      exit_code_ = 1;
      RequestExit();
    });
  }

  if (SimulatedKeyboard* simulated = device_->keyboard.Simulated()) {
    TellStateFileError(*simulated);
    connect(&signals_, &SignalWatcher::unplugRequested, this, [simulated] { simulated->Unplug(); });
    connect(&signals_, &SignalWatcher::plugRequested, this, [simulated] { simulated->PlugIn(); });
  }

  device_->context.SetStartHidden(start_hidden_);
  listener_ = std::make_unique<InputListener>(device_->notifications, device_->context, window_->Link());
  monitor_ = std::make_unique<ConnectionMonitor>(device_->link, device_->context, window_->Link());
  listener_->Start();
  monitor_->Start();
}

void Application::TellStateFileError(SimulatedKeyboard& simulated) {
  // The simulated keyboard goes on from a fresh memory that is not kept: the
  // user who asked for a state file must hear that, on the terminal that
  // started the program and in the window.
  const std::string error = simulated.StateFileError();
  if (error.empty() || error == state_error_told_) return;
  state_error_told_ = error;
  std::fprintf(stderr, "zarvel: %s\n", error.c_str());
  qCInfo(lcStart).noquote() << "told the user:" << QString::fromStdString(error);
  // Over the window once it shows (a box shown before it could end up
  // beneath it); at once when the window stays hidden.
  if (window_ && (start_hidden_ || first_paint_seen_))
    ShowStateFileError();
  else if (window_)
    state_prompt_pending_ = true;
}

void Application::ShowStateFileError() {
  state_prompt_pending_ = false;
  window_->Prompts().ShowMessageLater("SIMULATED_STATE_PROMPT",
                                      FormatMessage(LookupText("SIMULATED_STATE_PROMPT"), {state_error_told_}));
}

void Application::StartDaemon() {
  // The companion program beside the executable; a missing one, or one that
  // does not start, is not the user's concern.
  const QString daemon = QCoreApplication::applicationDirPath() + QStringLiteral("/KbDaemon");
  if (QFileInfo(daemon).isExecutable()) QProcess::startDetached(daemon, {});
}

void Application::ShowAbout() {
  if (exiting_) return;
  if (about_ == nullptr) {
    // A child of the window, so the window's closing of its dialogs reaches it.
    about_ = new AboutDialog(window_.get());
    about_->setWindowFlag(Qt::Dialog);
  }
  about_->ShowAbout();
}

void Application::ApplyLanguage() {
  if (about_ != nullptr) about_->ApplyLanguage();
  if (window_) window_->ApplyLanguage();
}

void Application::WatchFirstScan() {
  first_scan_poll_.setInterval(kFirstScanPollMs);
  connect(&first_scan_poll_, &QTimer::timeout, this, [this] {
    if (!monitor_ || !monitor_->WaitForFirstScan(std::chrono::milliseconds(0))) return;
    first_scan_poll_.stop();
    if (device_->context.State() != 0 || exiting_) return;
    qCInfo(lcStart) << "no keyboard and no tray: telling the user why no window appears";
    window_->Prompts().ShowMessage("MAIN_NO_DEVICE_PROMPT", LookupText("MAIN_NO_DEVICE_PROMPT"));
  });
  first_scan_poll_.start();
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.get() && event->type() == QEvent::Paint && !first_paint_seen_) {
    first_paint_seen_ = true;
    window_->removeEventFilter(this);
    qCInfo(lcStart) << "main window painted";
    if (state_prompt_pending_) ShowStateFileError();
    if (options_.report_first_paint) {
      QTimer::singleShot(0, this, &Application::ReportFirstPaint);
    } else if (!options_.tour_folder.empty()) {
      tour_ = std::make_unique<WindowTour>(*window_, *core_, QString::fromStdString(options_.tour_folder));
      connect(tour_.get(), &WindowTour::finished, this, &Application::RequestExit);
      tour_->Start();
    }
  }
  return QObject::eventFilter(watched, event);
}

void Application::ReportFirstPaint() {
  std::printf("first paint after %lld ms, peak memory %ld kB\n", static_cast<long long>(started_.elapsed()),
              PeakMemoryKb());
  std::fflush(stdout);
  RequestExit();
}

void Application::RequestExit() {
  if (exiting_) return;
  exiting_ = true;
  exit_requested_.start();
  qCInfo(lcStart) << "ending";
  first_scan_poll_.stop();
  housekeeping_.stop();
  // Whatever loop this runs in (a message box's, a file dialog's, a menu's):
  // let go of everything and delete nothing; the loops return by themselves.
  if (window_) {
    window_->hide();
    window_->EnableApply(false);
    // Also closes the About box (childDialogsClosing).
    window_->ReleaseForExit();
  }
  if (about_ != nullptr) about_->reject();
  instance_.Close();
  semaphores_.CloseAll();
  if (tray_) tray_->Hide();
  // Every running loop of this thread returns, the innermost first, and the
  // program's own loop last; a loop started from here on returns at once.
  QCoreApplication::exit(exit_code_);
}

void Application::Shutdown() {
  // The loop may have ended without a request (the session quit it).
  RequestExit();
  if (!ReleaseWriteWorker()) EndNow();
  StopDeviceSide();
  if (lock_ != nullptr) lock_->Release();
  qCInfo(lcStart) << "ended" << exit_requested_.elapsed() << "ms after the request";
}

bool Application::ReleaseWriteWorker() {
  if (!window_) return true;
  KeyboardWriteRunner& writes = window_->Writes();
  const auto waited = std::chrono::milliseconds(exit_requested_.elapsed());
  const auto left = waited < kWriteWait ? kWriteWait - waited : std::chrono::milliseconds(0);
  if (writes.WaitForWorker(left)) return true;
  // The keyboard write runs on: the link goes as after an unplug, so its
  // remaining reports fail at once and it returns.
  qCInfo(lcStart) << "a keyboard write still runs: closing the link";
  if (device_) device_->link.SetDeviceOpen(false);
  return writes.WaitForWorker(kAbandonWait);
}

void Application::EndNow() {
  // The worker still holds the core and the link: nothing it uses may be
  // destroyed under it. What would outlive the process goes; the rest is
  // the kernel's to close.
  qCWarning(lcStart) << "a keyboard write did not return: ending without waiting for it";
  instance_.Close();
  semaphores_.CloseAll();
  if (lock_ != nullptr) lock_->Release();
  std::fflush(stdout);
  std::fflush(stderr);
  ::_exit(exit_code_);
}

void Application::StopDeviceSide() {
  // The order that cannot deadlock: the monitor may still be inside a
  // command or a released send; the listener's tray threads post to the
  // window; the core goes only once neither thread can reach it.
  if (window_) window_->ReleaseBlockingSends();
  if (monitor_) monitor_->Stop();
  if (listener_) listener_->Stop();
  monitor_.reset();
  listener_.reset();
  tour_.reset();
  if (window_) window_->DetachCore();
  core_.reset();
  tray_.reset();
  about_ = nullptr;
  window_.reset();
  if (device_) {
    if (SimulatedKeyboard* simulated = device_->keyboard.Simulated()) {
      // Saved now, while a failure can still be told (on the terminal).
      simulated->SaveStateIfChanged();
      TellStateFileError(*simulated);
    }
  }
  device_.reset();
  instance_.Close();
  semaphores_.CloseAll();
}

}  // namespace zarvel
