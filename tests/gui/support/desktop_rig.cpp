#include "gui/support/desktop_rig.h"

#include <QProcessEnvironment>

#include "gui/support/process_rig.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;
// The system's Python, which has the D-Bus bindings.
const QString kPython = QStringLiteral("/usr/bin/python3");

}  // namespace

QString FakeDesktopScript() { return QStringLiteral(ZARVEL_SOURCE_DIR "/tests/gui/support/fake_desktop.py"); }

XServer::XServer() : process_(std::make_unique<QProcess>()) {
  // -displayfd 1: Xvfb picks a free display and prints its number once ready.
  process_->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("1600x1000x24")});
  if (!process_->waitForStarted(5000)) return;
  QString number;
  WaitUntil(
      [&] {
        number += QString::fromUtf8(process_->readAllStandardOutput());
        return number.contains('\n') || process_->state() == QProcess::NotRunning;
      },
      milliseconds(10000));
  if (number.trimmed().isEmpty()) return;
  display_ = QLatin1Char(':') + number.trimmed();
}

XServer::~XServer() {
  process_->terminate();
  process_->waitForFinished(5000);
}

FakeService::FakeService(const QString& mode, const QString& busAddress) : process_(std::make_unique<QProcess>()) {
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_->start(kPython, {FakeDesktopScript(), mode, busAddress});
  ready_ = WaitUntil([&] { return Lines().contains(QStringLiteral("ready")); }, milliseconds(10000));
}

FakeService::~FakeService() {
  process_->closeWriteChannel();
  process_->terminate();
  process_->waitForFinished(5000);
}

QStringList FakeService::Lines() {
  out_ += QString::fromUtf8(process_->readAllStandardOutput());
  return out_.split('\n', Qt::SkipEmptyParts);
}

void FakeService::Tell(const QString& line) {
  process_->write((line + '\n').toUtf8());
  process_->waitForBytesWritten(1000);
}

QStringList AskTrayItem(const QString& busAddress, const QString& service, const QString& command,
                        const QString& argument) {
  QProcess ask;
  QStringList args{FakeDesktopScript(), QStringLiteral("item"), busAddress, service, command};
  if (!argument.isEmpty()) args << argument;
  ask.start(kPython, args);
  if (!ask.waitForFinished(10000) || ask.exitCode() != 0) return {};
  return QString::fromUtf8(ask.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QStringList FindXWindows(const QString& display, const QString& title) {
  QProcess search;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), display);
  search.setProcessEnvironment(env);
  search.start(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QLatin1Char('^') + title + QLatin1Char('$')});
  if (!search.waitForFinished(5000)) return {};
  return QString::fromUtf8(search.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace zarvel::testing
