// FileIn and FileOut: the sections of a drawing in their order, one tag state across the
// entity list and the block definitions, and every failure ending in a Boolean result.
#include "jww/internal.h"
#include "platform/file.h"

namespace jww {

bool TJwwData::FileIn(const std::filesystem::path& FName) {
  return Load(FName, nullptr);
}

bool TJwwData::FileIn(const std::filesystem::path& FName, std::vector<TJwwTracePoint>& trace) {
  return Load(FName, &trace);
}

bool TJwwData::Load(const std::filesystem::path& FName, std::vector<TJwwTracePoint>* trace) {
  DataInit();
  bool result = false;
  bool headerRead = false;
  try {
    std::error_code ec;
    platform::File f = platform::File::OpenRead(FName, ec);
    if (!f.IsOpen()) ThrowIO(TJwwErrorKind::Open, ec.message());
    TJwwIn s(f);
    s.trace = trace;
    s.Note("header");
    if (!ReadHeader(s)) return false;
    headerRead = true;
    s.Note("entity count");

    uint16_t w = 0;
    if (s.Get(w) != sizeof w) ThrowIO(TJwwErrorKind::Truncated, "the file ends after the header");
    uint32_t count = w;
    if (w == 0xFFFF && s.Get(count) != sizeof count)
      ThrowIO(TJwwErrorKind::Truncated, "the file ends in the entity count");
    // Every object needs its tag and a record, and the block count follows the list.
    if (count > 0 && count - 1 > s.Remaining() / kMinObjectBytes)
      ThrowIO(TJwwErrorKind::TooLarge, "entity count " + std::to_string(count) +
                                           " is larger than the rest of the file could hold");
    EntBlockDefN = Enthd.n2 = 0;
    Enthd.n1 = static_cast<int32_t>(count);
    EntNo.assign(count, TEntJwwNo{});
    s.tags = TJwwTagState{};
    ReadList(*this, s, count, TopList(*this), "entity list");
    s.Note("block definitions");
    ReadBlockDefs(*this, s);
    // Any record, text or count of the two lists that the end of the file cut short makes
    // the drawing incomplete: nothing of it is to be written as if it were whole.
    if (s.RanShort()) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside a list");
    s.Note("pictures");
    ReadImageSection(s);
    result = true;
    Succeed();
  } catch (const EJwwIOError& e) {
    Fail(e);
  } catch (const std::bad_alloc&) {
    Fail(EJwwIOError(TJwwErrorKind::Memory, "File I/O Error", "out of memory"));
  } catch (const std::exception& e) {
    Fail(EJwwIOError(TJwwErrorKind::Read, "File I/O Error", e.what()));
  }
  if (headerRead) MakeBlockTree();
  return result;
}

bool TJwwData::FileOut(const std::filesystem::path& FName, int32_t Ver, TJwwSaveMode mode) {
  namespace fs = std::filesystem;
  const fs::path folder = FName.has_parent_path() ? FName.parent_path() : fs::path(".");
  try {
    std::error_code ec;
    if (mode == TJwwSaveMode::NoReplace &&
        fs::symlink_status(FName, ec).type() != fs::file_type::not_found)
      ThrowIO(TJwwErrorKind::Write, "the destination exists");
    // The drawing is written beside its destination and appears there only when complete;
    // a failure at any point leaves neither it nor a temporary file.
    platform::PendingFile out =
        platform::PendingFile::Create(folder, "." + FName.filename().string() + ".dotsweep", ec);
    if (!out.IsOpen())
      ThrowIO(TJwwErrorKind::Open,
              "cannot create a file in " + folder.string() + ": " + ec.message());
    {
      TJwwOut s(out.file());
      WriteHeader(s, Ver);
      s.tags = TJwwTagState{};
      const TBlockNumbers numbers(*this);
      WriteList(*this, s, Ver, TopList(*this), false, numbers);
      WriteBlockDefs(*this, s, Ver, numbers);
      WriteImageSection(s, Ver);
      s.Flush();
    }
    if (!out.Commit(FName, mode == TJwwSaveMode::Replace, ec))
      ThrowIO(TJwwErrorKind::Write, ec == std::errc::file_exists
                                        ? "the destination exists"
                                        : "cannot move the drawing into place: " + ec.message());
    Succeed();
    return true;
  } catch (const EJwwIOError& e) {
    Fail(e);
  } catch (const std::bad_alloc&) {
    Fail(EJwwIOError(TJwwErrorKind::Memory, "File I/O Error", "out of memory"));
  } catch (const std::exception& e) {
    Fail(EJwwIOError(TJwwErrorKind::Write, "File I/O Error", e.what()));
  }
  return false;
}

}  // namespace jww
