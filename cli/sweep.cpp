#include "cli/sweep.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <ostream>
#include <set>
#include <thread>

#include "jww/strutil.h"
#include "platform/paths.h"
#include "worker/WorkFolder.h"

namespace cli {
namespace fs = std::filesystem;

namespace {

bool IsJwwName(const fs::path& p) {
  return jww::LowerStr(platform::ExtensionOf(p)) == ".jww";
}

// The .jww files of a folder, sorted so that runs name their outputs alike.
std::vector<fs::path> DrawingsIn(const fs::path& dir, bool recursive) {
  std::vector<fs::path> found;
  std::error_code ec;
  auto take = [&](const fs::directory_entry& e) {
    std::error_code ignored;
    if (e.is_regular_file(ignored) && IsJwwName(e.path())) found.push_back(e.path());
  };
  if (recursive) {
    for (auto it = fs::recursive_directory_iterator(
             dir, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      take(*it);
  } else {
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
      take(*it);
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

std::vector<SweepItem> PlanSweep(const std::vector<std::string>& args, const SweepOptions& o,
                                 std::vector<std::string>& errors) {
  std::vector<SweepItem> items;
  std::set<fs::path> given;  // destinations handed out in this run
  auto add = [&](const fs::path& src, const fs::path& relative) {
    fs::path dst = o.outDir ? *o.outDir / relative : src.parent_path() / src.filename();
    SweepItem item;
    item.source = src;
    item.destination =
        platform::UniqueFileName(dst, [&](const fs::path& p) { return given.count(p) > 0; });
    if (!item.destination.empty()) given.insert(item.destination);
    items.push_back(std::move(item));
  };
  for (const auto& a : args) {
    const fs::path p = a;
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      for (const auto& f : DrawingsIn(p, o.recursive)) add(f, f.lexically_relative(p));
    } else if (fs::exists(p, ec)) {
      add(p, p.filename());
    } else {
      errors.push_back(a + ": no such file or folder");
    }
  }
  return items;
}

void RunSweep(std::vector<SweepItem>& items, const SweepOptions& o, std::ostream* progress) {
  jww::SetDefaultPenStyle(1);
  jww::SetDefaultPenColor(1);
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  std::mutex out;
  auto work = [&] {
    // Each worker thread has its document and its own picture folder.
    worker::TWorkFolder folder = worker::TWorkFolder::Private();
    jww::TJwwData doc;
    doc.BindImageFolderOnDemand = [&folder] { return folder.Path(); };
    doc.BindImageExp = doc.BindImageExr = true;
    doc.KeepBlockTree = false;
    for (size_t i = next++; i < items.size(); i = next++) {
      SweepItem& item = items[i];
      if (item.destination.empty()) {
        item.result.reason = "every numbered name up to ~99999 is taken";
      } else {
        std::error_code ec;
        if (item.destination.has_parent_path())
          fs::create_directories(item.destination.parent_path(), ec);
        item.result = worker::RunJob(doc, item.source, item.destination, o.points, o.scope);
      }
      worker::JwwDataFree(doc);
      const size_t n = ++done;
      if (progress) {
        std::lock_guard<std::mutex> lock(out);
        *progress << "\r\033[K[" << n << "/" << items.size() << "] "
                  << item.source.filename().string() << std::flush;
      }
    }
  };
  const size_t threads = std::max<size_t>(1, std::min<size_t>(o.jobs, items.size()));
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  if (progress) *progress << "\r\033[K" << std::flush;
}

std::string DescribeItem(const SweepItem& item) {
  const std::string src = item.source.string();
  if (!item.result.ok) return src + ": " + item.result.reason;
  const worker::TRemoved& r = item.result.removed;
  std::string line = src + " → " + item.destination.string() + ": ";
  if (r.Total() == 0) return line + "no points removed";
  const auto n = [](int64_t v) { return std::to_string(v); };
  return line + "removed " + n(r.Total()) + " point" + (r.Total() == 1 ? "" : "s") + " (" +
         n(r.topTemporary + r.blockTemporary) + " temporary, " + n(r.topReal + r.blockReal) +
         " real; " + n(r.topTemporary + r.topReal) + " top level, " +
         n(r.blockTemporary + r.blockReal) + " in blocks)";
}

}  // namespace cli
