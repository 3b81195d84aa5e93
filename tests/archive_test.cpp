#include <gtest/gtest.h>

#include "jww/JwwUnit.h"
#include "platform/file.h"
#include "tests/support.h"

namespace {

using namespace jww;
using testsupport::Bytes;
using testsupport::Hex;

std::string Written(TJwwTextForm form, const std::string& text) {
  TJwwData doc;
  doc.StrForm = form;
  std::string out;
  TJwwOut s(out);
  doc.WriteStr(s, text);
  return out;
}

std::string ReadBack(const std::string& bytes, TJwwTextForm* form = nullptr) {
  TJwwData doc;
  TJwwIn s(Bytes(bytes));
  std::string text = doc.ReadStr(s);
  EXPECT_EQ(s.Remaining(), 0u) << "the whole field is consumed";
  if (form) *form = doc.StrForm;
  return text;
}

TEST(CountedText, CodePagePrefixesByLength) {
  struct Case {
    size_t n;
    std::string prefix;
  };
  const Case cases[] = {
      {0, std::string("\x00", 1)},
      {254, "\xFE"},
      {255, std::string("\xFF\xFF\x00", 3)},
      {256, std::string("\xFF\x00\x01", 3)},
      {65533, "\xFF\xFD\xFF"},
      // From here the plain 16-bit form would collide with the Unicode marker and the escape.
      {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
      {65535, std::string("\xFF\xFF\xFF\xFF\xFF\x00\x00", 7)},
      {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
  };
  for (const auto& c : cases) {
    const std::string text(c.n, 'a');
    const std::string bytes = Written(TJwwTextForm::CodePage, text);
    EXPECT_EQ(Hex(bytes.substr(0, c.prefix.size())), Hex(c.prefix)) << c.n;
    EXPECT_EQ(bytes.size(), c.prefix.size() + c.n);
    TJwwTextForm form;
    EXPECT_EQ(ReadBack(bytes, &form), text) << c.n;
    EXPECT_EQ(form, TJwwTextForm::CodePage);
  }
}

TEST(CountedText, CodePageTextsAreEncodedAndCutAtZero) {
  EXPECT_EQ(Written(TJwwTextForm::CodePage, "日影"), "\x04\x93\xfa\x89\x65");
  EXPECT_EQ(Hex(Written(TJwwTextForm::CodePage, std::string("ab\0cd", 5))), "02 61 62");
  EXPECT_EQ(Written(TJwwTextForm::CodePage, "a\xF0\x9F\x98\x80"),
            "\x02"
            "a?");
  // A stored zero byte ends the text; the field is consumed whole all the same.
  EXPECT_EQ(ReadBack(std::string("\x05"
                                 "ab\0cd",
                                 6)),
            "ab");
  EXPECT_EQ(ReadBack("\x04\x93\xfa\x89\x65"), "日影");
}

TEST(CountedText, UnicodeForm) {
  EXPECT_EQ(Hex(Written(TJwwTextForm::Unicode, "")), "FF FE FF 00");
  EXPECT_EQ(Hex(Written(TJwwTextForm::Unicode, "寸A")), "FF FE FF 02 F8 5B 41 00");
  // Characters the code page lacks survive in this form.
  const std::string emoji = "\xF0\x9F\x98\x80";
  EXPECT_EQ(ReadBack(Written(TJwwTextForm::Unicode, emoji)), emoji);
  struct Case {
    size_t n;
    std::string lengthBytes;
  };
  const Case cases[] = {
      {254, "\xFE"},
      {255, std::string("\xFF\xFF\x00", 3)},
      {65533, "\xFF\xFD\xFF"},
      {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
  };
  for (const auto& c : cases) {
    const std::string text(c.n, 'x');
    const std::string bytes = Written(TJwwTextForm::Unicode, text);
    EXPECT_EQ(Hex(bytes.substr(0, 3 + c.lengthBytes.size())), Hex("\xFF\xFE\xFF" + c.lengthBytes))
        << c.n;
    EXPECT_EQ(bytes.size(), 3 + c.lengthBytes.size() + 2 * c.n);
    TJwwTextForm form;
    EXPECT_EQ(ReadBack(bytes, &form), text) << c.n;
    EXPECT_EQ(form, TJwwTextForm::Unicode);
  }
  EXPECT_EQ(ReadBack(std::string("\xFF\xFE\xFF\x03"
                                 "a\0\0\0b\0",
                                 10)),
            "a");
}

TEST(CountedText, ReadNameDropsControlCharacters) {
  TJwwData doc;
  const std::string bytes =
      "\x05"
      "a\tb\tc";
  TJwwIn s(Bytes(bytes));
  EXPECT_EQ(doc.ReadName(s), "abc");
}

TEST(CountedText, ALengthBeyondTheFileDeliversWhatArrived) {
  const std::string bytes = std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7) + "abc";
  TJwwData doc;
  TJwwIn s(Bytes(bytes));
  EXPECT_EQ(doc.ReadStr(s), "abc");
  EXPECT_EQ(s.Remaining(), 0u);
}

TEST(ObjectCount, SixteenBitsThenTheEscape) {
  struct Case {
    uint32_t n;
    std::string bytes;
  };
  const Case cases[] = {
      {0, std::string("\x00\x00", 2)},
      {65534, "\xFE\xFF"},
      {65535, std::string("\xFF\xFF\xFF\xFF\x00\x00", 6)},
      {0x12345678, "\xFF\xFF\x78\x56\x34\x12"},
  };
  for (const auto& c : cases) {
    TJwwData doc;
    std::string out;
    TJwwOut w(out);
    doc.WriteCount(w, c.n);
    EXPECT_EQ(Hex(out), Hex(c.bytes)) << c.n;
    TJwwIn r(Bytes(out));
    EXPECT_EQ(doc.ReadCount(r), c.n);
  }
}

TEST(ClassTag, ReferencesAndNewClassRecords) {
  TJwwData doc;
  std::string out;
  TJwwOut w(out);
  doc.WriteClassRef(w, 5);
  EXPECT_EQ(Hex(out), "05 80");
  out.clear();
  doc.WriteClassRef(w, 0x7FFF);
  EXPECT_EQ(Hex(out), "FF 7F FF 7F 00 80");

  out.clear();
  doc.WriteNewClass(w, 600, kTen);
  EXPECT_EQ(Hex(out), "FF FF 58 02 08 00 " + Hex("CDataTen"));
  EXPECT_EQ(w.tags.ClassIndex[kTen], 1u);
  EXPECT_EQ(w.tags.ObjIndex, 2u);
}

TEST(ClassTag, IndexesFollowTheObjectNumbering) {
  // First class takes 1, its first object 2, a class introduced next takes 3.
  TJwwData doc;
  std::string out;
  TJwwOut w(out);
  doc.WriteClassTag(w, 600, kLine);
  ++w.tags.ObjIndex;  // the line object
  doc.WriteClassTag(w, 600, kTen);
  ++w.tags.ObjIndex;  // the point
  doc.WriteClassTag(w, 600, kLine);
  EXPECT_EQ(w.tags.ClassIndex[kLine], 1u);
  EXPECT_EQ(w.tags.ClassIndex[kTen], 3u);
  EXPECT_EQ(Hex(out.substr(out.size() - 2)), "01 80");

  TJwwIn r(Bytes(out));
  TJwwClassTag t1 = doc.ReadClassTag(r);
  ++r.tags.ObjIndex;
  TJwwClassTag t2 = doc.ReadClassTag(r);
  ++r.tags.ObjIndex;
  TJwwClassTag t3 = doc.ReadClassTag(r);
  EXPECT_TRUE(t1.isNew);
  EXPECT_EQ(t1.name, "CDataSen");
  EXPECT_EQ(t1.index, 1u);
  EXPECT_EQ(t2.name, "CDataTen");
  EXPECT_EQ(t2.index, 3u);
  EXPECT_FALSE(t3.isNew);
  EXPECT_EQ(t3.index, 1u);
}

TEST(ClassTag, EscapedAndOddTags) {
  TJwwData doc;
  auto read = [&](const std::string& bytes) {
    TJwwIn r(Bytes(bytes));
    return doc.ReadClassTag(r);
  };
  EXPECT_EQ(read(std::string("\xFF\x7F\x34\x12\x00\x80", 6)).index, 0x1234u);  // top bit cleared
  EXPECT_EQ(read(std::string("\xFF\x7F\x34\x12\x00\x00", 6)).index, 0x1234u);  // already clear
  EXPECT_GT(read(std::string("\x05\x00", 2)).index, 0x7FFFFFFFu);  // below 0x8000: names no class
  EXPECT_THROW(read("\x05"), EJwwIOError);  // a tag cut by the end of the file
  EXPECT_THROW(read(std::string("\xFF\xFF\x58\x02\x00\x08", 6)),
               EJwwIOError);  // name longer than 2047
}

TEST(InStream, NumbersKeepTheirOldValueAtTheEnd) {
  const std::string bytes = "\x11\x22";
  TJwwIn s(Bytes(bytes));
  uint32_t v = 0xAABBCCDD;
  EXPECT_EQ(s.Get(v), 2u);
  EXPECT_EQ(v, 0xAABB2211u);  // the bytes that arrived, the rest as it was
  double d = 1.5;
  EXPECT_EQ(s.Get(d), 0u);
  EXPECT_EQ(d, 1.5);
}

TEST(InStream, FileReadsCrossBufferBoundaries) {
  // Every kind of read, take and skip lands across buffer boundaries, reads longer than the
  // buffer among them, and a file that is a whole number of buffers long ends like any other.
  for (size_t length : {size_t{200000}, size_t{3000017}, size_t{64} << 10 << 4}) {
    testsupport::ScratchDir dir;
    std::string data(length, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 65536);
    testsupport::WriteFile(dir / "f", data);
    std::error_code ec;
    platform::File f = platform::File::OpenRead(dir / "f", ec);
    TJwwIn s(f);
    EXPECT_EQ(s.Size(), data.size());
    size_t pos = 0;
    std::string got;
    for (size_t round = 0; pos + 400000 < length; ++round) {
      for (size_t step :
           {size_t{1}, size_t{3}, size_t{65535}, size_t{2}, size_t{100000}, size_t{262144}}) {
        got.assign(step, '\0');
        ASSERT_EQ(s.Read(got.data(), step), step) << length << " at " << pos;
        ASSERT_EQ(got, data.substr(pos, step)) << length << " at " << pos;
        pos += step;
        if (const uint8_t* here = s.Take(5)) {
          ASSERT_EQ(std::string(reinterpret_cast<const char*>(here), 5), data.substr(pos, 5));
          pos += 5;
        }
      }
      EXPECT_EQ(s.Skip(10 + round * 70000), 10 + round * 70000);
      pos += 10 + round * 70000;
      EXPECT_EQ(s.Position(), pos);
    }
    got.assign(data.size(), '\0');
    got.resize(s.Read(got.data(), got.size()));
    EXPECT_EQ(got, data.substr(pos)) << length;
    EXPECT_EQ(s.Remaining(), 0u);
    EXPECT_EQ(s.Skip(1), 0u);
    EXPECT_TRUE(s.RanShort());
  }
}

TEST(OutStream, AFullDiskRaisesByTheFlushWhateverTheWriteSizes) {
  // A small write fails at the flush; writes past the buffers fail in the writing thread
  // and raise at the next hand-over, and the flush after them raises too.
  for (size_t size : {size_t{4}, size_t{200000}, size_t{300000}, size_t{3} << 20}) {
    std::error_code ec;
    platform::File f = platform::File::CreateOrTruncate("/dev/full", ec);
    if (!f.IsOpen()) GTEST_SKIP() << "no /dev/full";
    TJwwOut s(f);
    std::string block(size, 'x');
    bool raised = false;
    try {
      s.Write(block.data(), block.size());
      s.Write(block.data(), block.size());
    } catch (const EJwwIOError& e) {
      EXPECT_EQ(e.kind(), TJwwErrorKind::Write);
      raised = true;
    }
    if (size >= (size_t{1} << 20)) {
      EXPECT_TRUE(raised) << size << " bytes: raised only at the end";
    }
    EXPECT_THROW(s.Flush(), EJwwIOError) << size << " bytes";
  }
}

TEST(OutStream, AFileArrivesWholeInOrder) {
  // Pieces of every size, from single numbers to more than the buffers hold, so that the
  // writing thread takes many hand-overs and a direct write in between.
  testsupport::ScratchDir dir;
  std::string expected;
  {
    std::error_code ec;
    platform::File f = platform::File::CreateOrTruncate(dir / "out", ec);
    ASSERT_TRUE(f.IsOpen()) << ec.message();
    TJwwOut s(f);
    uint32_t x = 1;
    for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}, size_t{262143}, size_t{600000},
                         size_t{3}, size_t{262144}, size_t{100000}, size_t{1} << 20, size_t{5}}) {
      for (int rep = 0; rep < 3; ++rep) {
        std::string bytes(piece, '\0');
        for (char& c : bytes) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
        s.Write(bytes.data(), bytes.size());
        expected += bytes;
        s.Put(static_cast<uint16_t>(x));
        expected.append(reinterpret_cast<const char*>(&x), 2);
        EXPECT_EQ(s.Position(), expected.size());
      }
    }
    s.Flush();
  }
  EXPECT_EQ(testsupport::ReadFile(dir / "out"), expected);
}

}  // namespace
