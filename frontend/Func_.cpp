#include "frontend/Func_.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"

namespace frontend {

std::string CallerName(const std::string& programPath) {
  return platform::LocaleUpper(std::filesystem::path(programPath).stem().string());
}

std::string DayCountText(double days, const QString& decimalPoint) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.8f", days);
  std::string text = digits;
  const size_t dot = text.find('.');
  if (dot != std::string::npos) text.replace(dot, 1, decimalPoint.toStdString());
  return text;
}

std::string QuoteArgument(const std::string& arg) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only in front of a quote: there each one is doubled, and the quote
    // itself gets one more.
    if (c == '"') {
      out.append(2 * backslashes + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');  // they stand before the closing quote
  out += '"';
  return out;
}

std::string WorkerCommandLine(const std::string& appPath, const std::string& caller,
                              const std::string& launchTime, const std::string& src,
                              const std::string& dst) {
  // The program name follows no escaping rules: it runs from one quote to the next.
  return "\"" + appPath + kWorkerName + "\" " + caller + " " + launchTime + " " +
         QuoteArgument(src) + " " + QuoteArgument(dst);
}

bool HasJwwExtension(const std::string& path) {
  return platform::LocaleUpper(platform::ExtensionOf(path)) == ".JWW";
}

std::string UniqueFileName(const std::string& p) {
  return platform::UniqueFileName(p).string();
}

TEscapeKey::TEscapeKey(QObject* parent) : QObject(parent) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool TEscapeKey::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      // A held key repeats as press and release pairs; only the real ones count.
      if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
        held_ = event->type() == QEvent::KeyPress;
      break;
    }
    case QEvent::ApplicationDeactivate:
      held_ = false;
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void WaitKeepingEventsFlowing(platform::Process& child) {
  // The child's pidfd becomes readable when it ends; without one (an old kernel, a
  // sandbox) a short tick stands in.
  // Called directly: this glibc's declaration of pidfd_open lacks C linkage for C++.
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, child.Pid(), 0));
  QEventLoop loop;
  bool woke = false;
  auto wake = [&] {
    woke = true;
    loop.quit();
  };
  std::unique_ptr<QSocketNotifier> ended;
  if (pidfd >= 0) {
    ended = std::make_unique<QSocketNotifier>(pidfd, QSocketNotifier::Read);
    QObject::connect(ended.get(), &QSocketNotifier::activated, &loop, wake);
  }
  QTimer tick;
  tick.setInterval(pidfd >= 0 ? 250 : 20);
  QObject::connect(&tick, &QTimer::timeout, &loop, wake);
  tick.start();
  // The loop turns at least once, so events already waiting are handled with every worker.
  do {
    woke = false;
    loop.exec();
    // An event loop returns at once while the application is quitting; then block here
    // instead, so the wait never turns into a spin.
    if (!woke) {
      if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        poll(&p, 1, 250);
      } else {
        usleep(20000);
      }
    }
  } while (!child.HasEnded());
  ended.reset();
  if (pidfd >= 0) close(pidfd);
}

}  // namespace frontend
