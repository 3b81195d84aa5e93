// Headers of real drawings: read, written back in their own version, compared field by field.
#include <gtest/gtest.h>

#include <set>

#include "jww/JwwUnit.h"
#include "tests/support.h"

namespace {

using namespace jww;
using testsupport::Bytes;
using testsupport::CorpusFiles;
using testsupport::Hex;

std::string FieldName(const THeaderField& f) {
  std::string s = f.name;
  if (f.index >= 0) s += "[" + std::to_string(f.index) + "]";
  if (f.sub >= 0) s += "[" + std::to_string(f.sub) + "]";
  return s;
}

// The fields the writer is allowed to store differently from what it read: the reserved
// areas, the clamped and combined values, and names it cleans or substitutes.
bool WriterMayChange(const std::string& name) {
  static const std::set<std::string> exact = {"reserved (56 bytes)", "reserved (4 bytes)",
                                              "nMaxDrawWid", "nPrtDispOnlyNonDraw + 10 * nPrtDpi"};
  if (exact.count(name)) return true;
  for (const char* prefix : {"EntCol.", "EntColS.astrUDColorName", "EntColS.aPrtPenColor",
                             "EntLtpS.", "EntLay.aStrLayName", "EntLgrp.aStrGLayName"})
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

TEST(HeaderCorpus, RealHeadersRoundTrip) {
  const auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus of real drawings";
  std::vector<std::string> identical;
  std::set<std::string> changed;  // fields the writer changed in some drawing
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const std::string src = testsupport::ReadFile(path);
    TJwwData doc;
    ASSERT_TRUE(doc.FileCheck(path)) << doc.LastError;
    ASSERT_TRUE(doc.FileHeaderIn(path)) << doc.LastError;

    std::vector<THeaderField> srcFields, outFields;
    TJwwIn srcIn(Bytes(src));
    ASSERT_TRUE(TraceHeader(srcIn, srcFields));
    const uint64_t srcEnd = srcIn.Position();

    std::string out;
    TJwwOut w(out);
    doc.WriteHeader(w, doc.Enthd.jwVer);
    TJwwIn outIn(Bytes(out));
    ASSERT_TRUE(TraceHeader(outIn, outFields));
    ASSERT_EQ(outIn.Position(), out.size());
    ASSERT_EQ(srcFields.size(), outFields.size());

    bool same = out == src.substr(0, srcEnd);
    for (size_t i = 0; i < srcFields.size(); ++i) {
      const uint64_t sEnd = i + 1 < srcFields.size() ? srcFields[i + 1].offset : srcEnd;
      const uint64_t oEnd = i + 1 < outFields.size() ? outFields[i + 1].offset : out.size();
      const std::string a = src.substr(srcFields[i].offset, sEnd - srcFields[i].offset);
      const std::string b = out.substr(outFields[i].offset, oEnd - outFields[i].offset);
      if (a == b) continue;
      const std::string name = FieldName(srcFields[i]);
      if (WriterMayChange(name)) {
        changed.insert(srcFields[i].name);
        continue;
      }
      ADD_FAILURE() << "first difference at source offset " << srcFields[i].offset << ", field "
                    << name << ": read " << Hex(a) << ", written " << Hex(b);
      break;
    }
    if (same) identical.push_back(path.filename().string());
  }
  std::string list;
  for (const auto& n : identical) list += " " + n;
  RecordProperty("byte_identical_headers", list);
  std::cout << "headers byte-identical after writing: " << identical.size() << " of "
            << files.size() << ":" << list << "\nfields the writer changed:";
  for (const auto& n : changed) std::cout << " " << n;
  std::cout << "\n";
}

}  // namespace
