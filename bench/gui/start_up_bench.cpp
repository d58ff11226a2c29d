// From starting zarvel to its main window's first paint, on the simulated
// keyboard (which connects at the first scan, so the window opens at once),
// and the peak memory of that process. Each iteration is a new process in a
// fresh private world: first start for a user, offscreen.
//
// Reported: the wall time from spawning to the window's first paint (the
// iteration time), the same seen from inside the process (from main()), and
// the process's peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr int kTimeoutMs = 15000;

struct StartResult {
  double wall_ms = 0;
  double inside_ms = 0;
  double peak_kb = 0;
  bool ok = false;
};

StartResult StartToFirstPaint() {
  QTemporaryDir root;
  for (const char* folder : {"run", "config", "data"}) QDir(root.path()).mkpath(QString::fromLatin1(folder));
  QFile::setPermissions(root.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", root.path() + "/run");
  env.insert("XDG_CONFIG_HOME", root.path() + "/config");
  env.insert("XDG_DATA_HOME", root.path() + "/data");
  env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zarvel-bench-bus");
  env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zarvel-bench-system-bus");
  env.insert("QT_QPA_PLATFORM", "offscreen");

  QProcess zarvel;
  zarvel.setProcessEnvironment(env);
  QElapsedTimer clock;
  clock.start();
  zarvel.start(QStringLiteral(ZARVEL_PROGRAM_DIR "/zarvel"), {"--simulate", "--report-first-paint"});
  StartResult result;
  QByteArray out;
  while (!out.contains('\n') && clock.elapsed() < kTimeoutMs) {
    if (!zarvel.waitForReadyRead(kTimeoutMs - static_cast<int>(clock.elapsed()))) break;
    out += zarvel.readAllStandardOutput();
  }
  result.wall_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  if (!zarvel.waitForFinished(kTimeoutMs)) {
    zarvel.kill();
    zarvel.waitForFinished();
    return result;
  }
  // "first paint after N ms, peak memory M kB"
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("after (\\d+) ms, peak memory (\\d+) kB")).match(QString::fromUtf8(out));
  if (!match.hasMatch()) return result;
  result.inside_ms = match.captured(1).toDouble();
  result.peak_kb = match.captured(2).toDouble();
  result.ok = zarvel.exitCode() == 0;
  return result;
}

void BM_StartToFirstPaint(benchmark::State& state) {
  double inside = 0;
  double peak = 0;
  for (auto _ : state) {
    const StartResult result = StartToFirstPaint();
    if (!result.ok) {
      state.SkipWithError("zarvel did not report its first paint");
      return;
    }
    state.SetIterationTime(result.wall_ms / 1000.0);
    inside += result.inside_ms;
    peak = std::max(peak, result.peak_kb);
  }
  state.counters["inside_ms"] = benchmark::Counter(inside, benchmark::Counter::kAvgIterations);
  state.counters["peak_rss_MB"] = peak / 1024.0;
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
