// TJwwData: one Jw_cad drawing in memory, with its reader and writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jww/archive.h"
#include "jww/jwwtype.h"

namespace jww {

// Library-wide fallbacks of the attribute writer for a line's or arc's invalid pen style and
// an entity's invalid pen colour. Both are 0 until a program sets them.
void SetDefaultPenStyle(uint8_t style);
void SetDefaultPenColor(uint16_t color);
uint8_t DefaultPenStyle();
uint16_t DefaultPenColor();

// The two forms of counted texts. Jw_cad writes every text of a file in one form; recent
// versions use the Unicode form.
enum class TJwwTextForm { CodePage, Unicode };

// A class tag as read: a new-class record (with the name it introduced and the index it
// took) or a reference to an index.
struct TJwwClassTag {
  bool isNew = false;
  uint32_t index = 0;
  std::string name;
};

// Sizes of the nine settings tables once a header has been read.
inline constexpr int kLgrpCount = 16, kLayCount = 256, kColCount = 10, kLtp1Count = 8,
                     kLtp2Count = 5, kLtp3Count = 4, kColSCount = 257, kLtpSCount = 33,
                     kMojCount = 10;

// How FileOut treats a file already at the destination.
enum class TJwwSaveMode {
  Replace,    // replace it, but only once the new drawing is complete
  NoReplace,  // leave it alone and fail
};

class TJwwData {
 public:
  TJwwData();   // Create
  ~TJwwData();  // Destroy
  TJwwData(const TJwwData&) = default;
  TJwwData& operator=(const TJwwData&) = default;

  // Document lifecycle.
  void DataInit();
  void DataFree();
  void DataDefaultSet();

  // Whole files. FileIn loads a drawing; FileOut writes one as version Ver, atomically: a
  // failed save leaves no file and no temporary file, and an existing file is only replaced
  // by a complete drawing. Neither throws.
  bool FileIn(const std::filesystem::path& FName);
  // FileIn that also lists where every section, object and picture of the file starts.
  bool FileIn(const std::filesystem::path& FName, std::vector<TJwwTracePoint>& trace);
  bool FileOut(const std::filesystem::path& FName, int32_t Ver,
               TJwwSaveMode mode = TJwwSaveMode::Replace);
  void SetFileOutOption(int32_t n) { FileOutOpt = (n >= 0 && n <= 15) ? n : 0; }

  // Block definitions.
  void MakeBlockTree();
  uint32_t ChangeBlockNo(uint32_t n) const;

  // Embedded pictures.
  void BindImageInit();
  void ReadImageSection(TJwwIn& s);
  void BindImageExplode();
  void WriteImageSection(TJwwOut& s, int32_t Ver);
  // Sets exf on every picture some text references (in the drawing or in any held block
  // definition), without looking at the files.
  void BindImageMark();
  void BindImageDeleteGzFile();
  void BindImageDeleteNonGzFile();
  void BindImagePack();
  void BindImageCopy(const std::string& dst);
  void BindImageDeleteFile();
  // The file in BindImageFolder that holds the picture stored under `name`; an empty path
  // while there is no folder, so that nothing outside one is ever read, made or removed.
  std::filesystem::path BindImagePath(std::string_view name) const;

  // Header.
  bool FileCheck(const std::filesystem::path& FName);
  bool FileHeaderIn(const std::filesystem::path& FName);
  bool ReadHeader(TJwwIn& s);
  void WriteHeader(TJwwOut& s, int32_t Ver);

  // Archive primitives on an open stream.
  std::string ReadStr(TJwwIn& s);
  std::string ReadName(TJwwIn& s);
  void WriteStr(TJwwOut& s, std::string_view text);
  // Writes CleanName(text), without making the copy when there is nothing to clean.
  void WriteCleanStr(TJwwOut& s, std::string_view text);
  uint32_t ReadCount(TJwwIn& s);
  void WriteCount(TJwwOut& s, uint32_t n);
  TJwwClassTag ReadClassTag(TJwwIn& s);
  void WriteNewClass(TJwwOut& s, int32_t Ver, TJwwKind kind);
  void WriteClassRef(TJwwOut& s, uint32_t index);
  // Writes the tag of `kind`'s class: the new-class record the first time in the file, a
  // reference afterwards.
  void WriteClassTag(TJwwOut& s, int32_t Ver, TJwwKind kind);
  void ReadAttr(TJwwIn& s, TEntJwwAttr& attr);
  void WriteAttr(TJwwOut& s, int32_t Ver, const TEntJwwAttr& attr, int kind);
  static void CopyAttr(const TEntJwwAttr& src, TEntJwwAttr& dst) { dst = src; }

  // Why the last FileCheck, FileHeaderIn, FileIn or FileOut failed; kind None after a
  // success. The Boolean results stay the interface; this is for callers that explain.
  TJwwErrorKind LastErrorKind = TJwwErrorKind::None;
  std::string LastError;
  // The same in words for the person running a program: "not a JWW drawing", "version 701
  // is outside 220..700", "destination exists", "cannot write: ...".
  std::string FailureText() const;

  TEntJwwHeader Enthd;
  std::vector<TEntJwwLayerGroup> EntLgrp;
  std::vector<TEntJwwLayer> EntLay;
  std::vector<TEntJwwColorNo> EntCol;
  std::vector<TEntJwwLineTypeNo> EntLtp1;
  std::vector<TEntJwwRandomLineNo> EntLtp2;
  std::vector<TEntJwwLineTypeNo> EntLtp3;
  std::vector<TEntJwwColorExNo> EntColS;
  std::vector<TEntJwwLineTypeExNo> EntLtpS;
  std::vector<TEntJwwMojiType> EntMoj;

  std::vector<TEntJwwNo> EntNo;
  std::vector<TEntJwwLine> EntLine;
  int32_t EntLineN = 0;
  std::vector<TEntJwwEnko> EntEnko;
  int32_t EntEnkoN = 0;
  std::vector<TEntJwwTen> EntTen;
  int32_t EntTenN = 0;
  std::vector<TEntJwwMoji> EntMoji;
  int32_t EntMojiN = 0;
  std::vector<TEntJwwSunpo> EntSunpo;
  int32_t EntSunpoN = 0;
  std::vector<TEntJwwSolid> EntSolid;
  int32_t EntSolidN = 0;
  std::vector<TEntJwwBlock> EntBlock;
  int32_t EntBlockN = 0;

  std::vector<TEntJwwBlockDef> EntBlockDef;
  int32_t EntBlockDefN = 0;
  std::vector<TEntJwwBlockTree> EntBlockTree;
  int32_t EntBlockTreeN = 0;
  // Whether loads build EntBlockTree. A program that only converts drawings needs the marks
  // on the definitions, which are always made, and not the tree, which can be large.
  bool KeepBlockTree = true;
  int32_t EntBlockNum = 0;

  std::string BindImageFolder;
  // When set, asked for the folder the first time a load has a picture to extract and
  // BindImageFolder is empty; what it returns becomes BindImageFolder. Most drawings carry
  // no pictures, and a folder made and removed for each of them is a cost of its own.
  std::function<std::string()> BindImageFolderOnDemand;
  std::vector<TBindImageType> BindImage;
  int32_t BindImageN = 0;
  bool BindImageExp = false;
  bool BindImageExr = false;

  int32_t FileOutOpt = 0;
  int32_t FontNameN = 0;
  std::vector<std::string> FontNames;

  // The form of the counted texts of the file last read; the writer uses it for every
  // text. A new document uses the code page form.
  TJwwTextForm StrForm = TJwwTextForm::CodePage;

 private:
  bool Load(const std::filesystem::path& FName, std::vector<TJwwTracePoint>* trace);
  void Fail(const EJwwIOError& e);
  void Succeed();
};

// The file name inside the working folder for a stored picture name: the name itself when
// it is a plain file name, otherwise a name made from it that cannot leave the folder.
std::string BindImageFileName(std::string_view name);

// A field of the header as it lies in a file: where it starts and what it is. Used to name
// the place where two headers differ.
struct THeaderField {
  uint64_t offset = 0;
  const char* name = "";
  int index = -1;  // table or array index, -1 for a plain field
  int sub = -1;    // index inside a table entry's own array
};

// Reads a header like ReadHeader and lists every field with its offset.
bool TraceHeader(TJwwIn& s, std::vector<THeaderField>& fields);

}  // namespace jww
