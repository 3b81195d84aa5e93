// Embedded pictures: the picture section, the files in the working folder, gzip, and
// picture names that try to leave the folder.
#include <gtest/gtest.h>

#include <optional>

#include "tests/drawing.h"

namespace {

using namespace jww;
using namespace testsupport;
namespace fs = std::filesystem;

// A writer's and a reader's working folder, and a drawing whose pictures live in the first.
struct Pictures {
  ScratchDir root;
  fs::path in = root / "in", out = root / "out", files = root / "files";
  TJwwData doc = NewDrawing(700);

  Pictures() {
    fs::create_directories(in);
    fs::create_directories(out);
    fs::create_directories(files);
    Use(doc, in);
  }
  static void Use(TJwwData& d, const fs::path& folder) {
    d.BindImageFolder = folder.string() + "/";
    d.BindImageExp = d.BindImageExr = true;
  }
  // Adds a picture file to the drawing's list, as a load would have left it.
  void Add(const std::string& name, const std::string& bytes) {
    WriteFile(doc.BindImagePath(name), bytes);
    doc.BindImage.push_back({name, static_cast<int32_t>(bytes.size()), false});
    doc.BindImageN = static_cast<int32_t>(doc.BindImage.size());
  }
  void Reference(const std::string& name) { Append(doc, Text("^@BM%temp%" + name + ",100,80")); }
  // Saves, then loads into a document working in `out`.
  TJwwData RoundTrip(int ver = 700) {
    EXPECT_TRUE(doc.FileOut(files / "d.jww", ver)) << doc.LastError;
    TJwwData back;
    Use(back, out);
    EXPECT_TRUE(back.FileIn(files / "d.jww")) << back.LastError;
    return back;
  }
  std::vector<std::string> Names(const TJwwData& d) {
    std::vector<std::string> n;
    for (const auto& i : d.BindImage) n.push_back(i.Fname);
    return n;
  }
};

using Names = std::vector<std::string>;

TEST(Images, OnlyReferencedPicturesAreWrittenEachOnce) {
  Pictures p;
  p.Add("a.bmp", "AAAA");
  p.Add("b.bmp", "BB");
  p.Add("c.bmp", "CCC");
  p.Add("d.bmp", "DD");
  p.Reference("a.bmp");
  p.Reference("a.bmp");
  // c only inside a definition no insert reaches: still embedded.
  Append(AppendBlockDef(p.doc, 1, "unused"), Text("^@BM%temp%c.bmp,1,1"));
  // d only through a text inside a used definition.
  Append(AppendBlockDef(p.doc, 2, "used"), Text("^@BM%temp%d.bmp,1,1"));
  Append(p.doc, Insert(2));
  p.doc.MakeBlockTree();
  TJwwData back = p.RoundTrip();
  EXPECT_EQ(p.Names(back), (Names{"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(back.BindImage[0].Fsize, 4);
  EXPECT_EQ(ReadFile(p.out / "a.bmp"), "AAAA");
  EXPECT_EQ(ReadFile(p.out / "c.bmp"), "CCC");
  EXPECT_FALSE(fs::exists(p.out / "b.bmp"));
  EXPECT_TRUE(p.doc.BindImage[0].exf);
  EXPECT_FALSE(p.doc.BindImage[1].exf);
}

TEST(Images, ReferencesMatchByCaseInsensitivePrefix) {
  struct Case {
    std::string text;
    bool keeps;
  };
  const Case cases[] = {
      {"^@BM%temp%pic.bmp,100,50", true},
      {"^@BM%temp%PIC.bmp,1", true},
      {"^@BM%temp%,100,50", false},         // no name
      {"^@BM%temp%pic.bmp", false},         // no comma
      {"^@BM%TEMP%pic.bmp,100,50", false},  // the marker is case-sensitive
      {"^@bm%temp%pic.bmp,100,50", false},
      {"^@BM%temp%pic.bmpx,1", false},  // longer than the stored name
  };
  for (const auto& c : cases) {
    Pictures p;
    p.Add("PIC.BMP.GZ", "gz bytes");
    Append(p.doc, Text(c.text));
    TJwwData back = p.RoundTrip();
    EXPECT_EQ(back.BindImageN, c.keeps ? 1 : 0) << c.text;
  }
}

TEST(Images, CompressedPicturesAreUnpackedBesideThemAndAllFilesGo) {
  Pictures p;
  const std::string picture(100000, 'x');
  p.Add("photo.bmp", picture);
  p.doc.BindImagePack();
  ASSERT_EQ(p.Names(p.doc), Names{"photo.bmp.gz"});
  EXPECT_LT(fs::file_size(p.in / "photo.bmp.gz"), 1000u);
  p.Reference("photo.bmp");
  TJwwData back = p.RoundTrip();
  EXPECT_EQ(FilesIn(p.out), Names{"photo.bmp.gz"});
  back.BindImageExplode();
  EXPECT_EQ(FilesIn(p.out), (Names{"photo.bmp", "photo.bmp.gz"}));
  EXPECT_EQ(ReadFile(p.out / "photo.bmp"), picture);
  EXPECT_EQ(ReadFile(p.out / "photo.bmp.gz"), ReadFile(p.in / "photo.bmp.gz"));

  back.BindImageCopy(p.files.string());
  EXPECT_EQ(ReadFile(p.files / "photo.bmp"), picture);

  back.BindImageDeleteGzFile();
  EXPECT_EQ(FilesIn(p.out), Names{"photo.bmp"});
  back.BindImageDeleteNonGzFile();
  EXPECT_TRUE(FilesIn(p.out).empty());
}

TEST(Images, AnUnpackedCopyNeverReplacesAnotherPicture) {
  Pictures p;
  p.Add("x.bmp", "the stored x.bmp");
  p.Add("y.bmp", "what x.bmp.gz holds");
  p.doc.BindImagePack();  // both get packed; rename y's to x.bmp.gz by hand below
  fs::rename(p.in / "y.bmp.gz", p.in / "x.bmp.gz");
  p.doc.BindImage[1].Fname = "x.bmp.gz";
  p.doc.BindImage[0].Fname = "x.bmp";
  WriteFile(p.in / "x.bmp", "the stored x.bmp");
  p.Reference("x.bmp");   // marks the first match: x.bmp
  p.Reference("x.bmp.");  // marks x.bmp.gz
  TJwwData back = p.RoundTrip();
  back.BindImageExplode();
  EXPECT_EQ(ReadFile(p.out / "x.bmp"), "the stored x.bmp");
  // Saved again, the stored picture goes out as it came in.
  ASSERT_TRUE(back.FileOut(p.files / "again.jww", 700));
  EXPECT_EQ(ReadFile(p.files / "again.jww"), ReadFile(p.files / "d.jww"));
}

// The picture section of a file, made by hand.
std::string Section(const std::vector<std::pair<std::string, std::string>>& records,
                    std::optional<int32_t> count = {}, std::optional<int32_t> size = {}) {
  std::string s;
  auto put32 = [&](int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); };
  put32(count ? *count : static_cast<int32_t>(records.size()));
  for (const auto& [name, data] : records) {
    s += static_cast<char>(name.size());
    s += name;
    put32(size ? *size : static_cast<int32_t>(data.size()));
    s += data;
  }
  return s;
}

struct HandMade {
  Pictures p;
  std::string lists;  // a version-700 drawing up to its picture section
  HandMade() {
    p.Reference("a.bmp");
    p.Reference("b.bmp");
    EXPECT_TRUE(p.doc.FileOut(p.files / "base.jww", 700));
    const std::string full = ReadFile(p.files / "base.jww");
    lists = full.substr(0, full.size() - 4);
  }
  TJwwData Load(const std::string& section, bool* ok = nullptr) {
    WriteFile(p.files / "h.jww", lists + section);
    TJwwData back;
    Pictures::Use(back, p.out);
    const bool loaded = back.FileIn(p.files / "h.jww");
    if (ok)
      *ok = loaded;
    else
      EXPECT_TRUE(loaded) << back.LastError;
    return back;
  }
};

TEST(Images, RecordsWithoutDataAndRecordsOfOneName) {
  HandMade h;
  TJwwData back = h.Load(
      Section({{"", ""}, {"z.bmp", ""}, {"a.bmp", "first"}, {"a.bmp", "2nd"}, {"b.bmp", "bee"}}));
  EXPECT_EQ(back.BindImageN, 5);
  EXPECT_EQ(ReadFile(h.p.out / "a.bmp"), "2nd") << "the later record's bytes";
  EXPECT_FALSE(fs::exists(h.p.out / "z.bmp"));
  ASSERT_TRUE(back.FileOut(h.p.files / "again.jww", 700));
  TJwwData again;
  Pictures::Use(again, h.p.files);
  fs::create_directories(h.p.files);
  ASSERT_TRUE(again.FileIn(h.p.files / "again.jww"));
  EXPECT_EQ(h.p.Names(again), (Names{"a.bmp", "b.bmp"})) << "the first a.bmp, once";
  EXPECT_EQ(ReadFile(h.p.files / "a.bmp"), "2nd");
}

TEST(Images, CutAndOddSections) {
  HandMade h;
  bool ok = false;
  // Ends where the count stands: no pictures.
  TJwwData none = h.Load("", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(none.BindImageN, 0);
  // Ends inside the count.
  h.Load(std::string("\x01\x00", 2), &ok);
  EXPECT_FALSE(ok);
  // Ends inside a picture's data: a shorter picture.
  const std::string cut = Section({{"a.bmp", "0123456789"}});
  TJwwData shorter = h.Load(cut.substr(0, cut.size() - 4));
  EXPECT_EQ(ReadFile(h.p.out / "a.bmp"), "012345");
  // A negative size carries no data: an empty file, and the next record follows.
  TJwwData negative = h.Load(Section({{"a.bmp", ""}, {"b.bmp", "bee"}}, 2, -5).substr(0, 4 + 10) +
                             Section({{"b.bmp", "bee"}}).substr(4));
  EXPECT_EQ(negative.BindImageN, 2);
  EXPECT_EQ(ReadFile(h.p.out / "b.bmp"), "bee");
  EXPECT_EQ(ReadFile(h.p.out / "a.bmp"), "");
  // A count of zero or less: no pictures.
  EXPECT_EQ(h.Load(Section({}, 0)).BindImageN, 0);
  EXPECT_EQ(h.Load(Section({}, -3)).BindImageN, 0);
}

TEST(Images, TheFolderIsAskedForOnlyWhenAPictureArrives) {
  Pictures p;
  p.Add("a.bmp", "AAAA");
  p.Reference("a.bmp");
  ASSERT_TRUE(p.doc.FileOut(p.files / "with.jww", 700));
  p.doc.BindImage.clear();
  p.doc.BindImageN = 0;
  ASSERT_TRUE(p.doc.FileOut(p.files / "without.jww", 700));
  ASSERT_TRUE(p.doc.FileOut(p.files / "old.jww", 600));

  for (const char* name : {"without.jww", "old.jww", "with.jww"}) {
    SCOPED_TRACE(name);
    int asked = 0;
    TJwwData back;
    back.BindImageExp = back.BindImageExr = true;
    back.BindImageFolderOnDemand = [&] {
      ++asked;
      return p.out.string() + "/";
    };
    ASSERT_TRUE(back.FileIn(p.files / name)) << back.LastError;
    const bool pictures = std::string(name) == "with.jww";
    EXPECT_EQ(asked, pictures ? 1 : 0);
    if (pictures) {
      EXPECT_EQ(ReadFile(p.out / "a.bmp"), "AAAA");
    }
  }

  // A folder that cannot be made: the picture is skipped and nothing is written anywhere.
  TJwwData none;
  none.BindImageExp = none.BindImageExr = true;
  none.BindImageFolderOnDemand = [] { return std::string(); };
  ASSERT_TRUE(none.FileIn(p.files / "with.jww")) << none.LastError;
  ASSERT_EQ(none.BindImageN, 1);
  EXPECT_EQ(none.BindImagePath("a.bmp"), fs::path());
}

TEST(Images, WithoutAFolderNoFileOutsideOneIsTouched) {
  // A picture list with no folder must not take its names as paths of the current folder.
  ScratchDir cwd;
  const fs::path before = fs::current_path();
  fs::current_path(cwd.path());
  WriteFile(cwd / "a.bmp", "user's own");
  TJwwData doc = NewDrawing(700);
  doc.BindImageExp = doc.BindImageExr = true;
  doc.BindImage.push_back({"a.bmp", 10, false});
  doc.BindImage.push_back({"a.bmp.gz", 10, false});
  doc.BindImageN = 2;
  Append(doc, Text("^@BM%temp%a.bmp,100,80"));
  doc.BindImageExplode();
  doc.BindImagePack();
  EXPECT_TRUE(doc.FileOut(cwd / "d.jww", 700)) << doc.LastError;
  doc.BindImageDeleteFile();
  doc.BindImageDeleteNonGzFile();
  fs::current_path(before);
  EXPECT_EQ(ReadFile(cwd / "a.bmp"), "user's own");
  EXPECT_EQ(FilesIn(cwd.path()), (std::vector<std::string>{"a.bmp", "d.jww"}));
  TJwwData back;
  back.BindImageExr = true;  // the list only
  ASSERT_TRUE(back.FileIn(cwd / "d.jww"));
  EXPECT_EQ(back.BindImageN, 0) << "no picture of the current folder was embedded";
}

TEST(Images, WithBothFlagsOffTheSectionIsNeitherReadNorWritten) {
  HandMade h;
  WriteFile(h.p.files / "h.jww", h.lists + Section({{"a.bmp", "AAA"}}));
  TJwwData back;
  back.BindImageFolder = h.p.out.string() + "/";
  ASSERT_TRUE(back.FileIn(h.p.files / "h.jww"));
  EXPECT_EQ(back.BindImageN, 0);
  EXPECT_TRUE(FilesIn(h.p.out).empty());
  h.p.Add("a.bmp", "AAA");
  h.p.doc.BindImageExp = h.p.doc.BindImageExr = false;
  ASSERT_TRUE(h.p.doc.FileOut(h.p.files / "off.jww", 700));
  const std::string off = ReadFile(h.p.files / "off.jww");
  EXPECT_EQ(Hex(off.substr(off.size() - 4)), "00 00 00 00");
}

TEST(Images, NamesThatTryToLeaveTheFolderStayInIt) {
  for (const std::string name : {"../escape.bmp", "../../escape.bmp", "/tmp/escape.bmp",
                                 "C:\\escape.bmp", "sub/escape.bmp", "..", "."}) {
    HandMade h;
    Append(h.p.doc, Text("^@BM%temp%" + name + ",1,1"));
    ASSERT_TRUE(h.p.doc.FileOut(h.p.files / "base.jww", 700));
    std::string full = ReadFile(h.p.files / "base.jww");
    WriteFile(h.p.files / "h.jww", full.substr(0, full.size() - 4) + Section({{name, "data"}}));
    const auto before = FilesIn(h.p.root.path());
    TJwwData back;
    Pictures::Use(back, h.p.out);
    ASSERT_TRUE(back.FileIn(h.p.files / "h.jww")) << name;
    back.BindImageExplode();
    auto inOut = FilesIn(h.p.out);
    ASSERT_EQ(inOut.size(), 1u) << name;
    EXPECT_EQ(inOut[0].find('/'), std::string::npos) << name << " -> " << inOut[0];
    auto after = FilesIn(h.p.root.path());
    EXPECT_EQ(after.size(), before.size() + 1) << name << ": nothing but the one picture file";
    EXPECT_FALSE(fs::exists("/tmp/escape.bmp"));
    // The drawing written again stores the name and bytes it read.
    ASSERT_TRUE(back.FileOut(h.p.files / "again.jww", 700));
    const std::string again = ReadFile(h.p.files / "again.jww");
    EXPECT_EQ(again.substr(again.size() - Section({{name, "data"}}).size()),
              Section({{name, "data"}}))
        << name;
    back.BindImageDeleteNonGzFile();
    EXPECT_TRUE(FilesIn(h.p.out).empty()) << name;
  }
}

TEST(Images, AMissingOrHugePictureFile) {
  Pictures p;
  p.Add("gone.bmp", "x");
  p.Add("kept.bmp", "y");
  p.Reference("gone.bmp");
  p.Reference("kept.bmp");
  fs::remove(p.in / "gone.bmp");
  TJwwData back = p.RoundTrip();
  EXPECT_EQ(p.Names(back), Names{"kept.bmp"});

  // 2 GiB cannot be stored in the section's signed size: the save fails, leaving nothing.
  fs::resize_file(p.in / "kept.bmp", uint64_t{1} << 31);
  WriteFile(p.files / "old.jww", "old");
  EXPECT_FALSE(p.doc.FileOut(p.files / "old.jww", 700));
  EXPECT_EQ(ReadFile(p.files / "old.jww"), "old");
  EXPECT_EQ(FilesIn(p.files), (Names{"d.jww", "old.jww"}));
  fs::remove(p.in / "kept.bmp");
}

TEST(Images, RewrittenReferencesStillEmbedTheirPictures) {
  Pictures p;
  p.Add("a.bmp", "AAA");
  p.Reference("a.bmp");
  p.doc.SetFileOutOption(8);
  TJwwData back = p.RoundTrip();
  EXPECT_EQ(back.EntMoji[0].str, "^@BMa.bmp,100,80");
  EXPECT_EQ(p.Names(back), Names{"a.bmp"});
}

TEST(Images, OlderVersionsCarryNoSection) {
  Pictures p;
  p.Add("a.bmp", "AAA");
  p.Reference("a.bmp");
  TJwwData back = p.RoundTrip(699);
  EXPECT_EQ(back.BindImageN, 0);
  EXPECT_TRUE(FilesIn(p.out).empty());
}

}  // namespace
