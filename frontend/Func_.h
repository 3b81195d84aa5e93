// Small helpers of the window: names, the worker's command line, the Escape key and waiting
// for a worker while the window stays alive.
#pragma once

#include <QObject>
#include <QString>
#include <string>

namespace platform {
class Process;
}

namespace frontend {

// The worker's file name beside the window's program.
inline constexpr char kWorkerName[] = "DotsweepSub";

// The base name of the program file without extension, upper-cased by the user's locale:
// the token the worker expects ("DOTSWEEP" for "Dotsweep").
std::string CallerName(const std::string& programPath);

// A day count with exactly eight decimals and `decimalPoint` as the decimal mark; plain
// digits and no thousands separators, so the worker can read it back.
std::string DayCountText(double days, const QString& decimalPoint);

// An argument in double quotes, read back whole by the Windows splitting rules. A path
// without a double quote comes out as quote, path, quote; a double quote inside (a legal
// file-name character here) is escaped so that it cannot end the argument early.
std::string QuoteArgument(const std::string& arg);

// "<appPath>DotsweepSub" in quotes, the caller name, the launch time, quoted source and
// quoted destination, separated by single blanks.
std::string WorkerCommandLine(const std::string& appPath, const std::string& caller,
                              const std::string& launchTime, const std::string& src,
                              const std::string& dst);

// True when the file name's extension, upper-cased by the user's locale, is ".JWW".
bool HasJwwExtension(const std::string& path);

// The first free output name (p, then p~1 … p~99999 with p's extension); empty when every
// one is taken.
std::string UniqueFileName(const std::string& p);

// Knows whether Escape is held down, from the key events of the whole application. The key
// counts as released when the application loses the keyboard, since its release would then
// go to another program.
class TEscapeKey : public QObject {
 public:
  explicit TEscapeKey(QObject* parent = nullptr);
  bool Held() const { return held_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool held_ = false;
};

// Returns once `child` has ended, running the event loop meanwhile so that the window
// repaints and takes input. The thread sleeps in the event loop between tests of the child:
// it wakes when the child ends (or at a slow safety tick), never spins.
void WaitKeepingEventsFlowing(platform::Process& child);

}  // namespace frontend
