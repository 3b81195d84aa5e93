// The file header: one walk over its layout serves the reader, the writer and the field
// tracer, so the three cannot disagree about where a field lies.
#include <string>

#include "jww/JwwUnit.h"
#include "jww/strutil.h"
#include "platform/file.h"

namespace jww {
namespace {

constexpr char kSignature[] = "JwwData.";

// The header part of a document, owned: the writer fills one with its substitutions and
// writes it as it stands, leaving the document itself untouched.
struct THeaderImage {
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
};

template <class D>
void SizeTables(D& d) {
  d.EntLgrp.resize(kLgrpCount);
  d.EntLay.resize(kLayCount);
  d.EntCol.resize(kColCount);
  d.EntLtp1.resize(kLtp1Count);
  d.EntLtp2.resize(kLtp2Count);
  d.EntLtp3.resize(kLtp3Count);
  d.EntColS.resize(kColSCount);
  d.EntLtpS.resize(kLtpSCount);
  d.EntMoj.resize(kMojCount);
}

// The line-width settings Jw_cad derives for display from a stored nMaxDrawWid.
void DeriveMaxDrawWid(TEntJwwHeader& h) {
  const int32_t w = h.nMaxDrawWid;
  if (w >= -100) {
    h.bSenHaba100 = false;
    h.nMaxDrawWidBak = w;
    return;
  }
  h.bSenHaba100 = true;
  if (w >= -500 && w <= -401)
    h.nMaxDrawWidBak = 400 + w;  // 400 - |w|
  else if (w >= -300 && w <= -201)
    h.nMaxDrawWidBak = -w - 200;  // |w| - 200
  else
    h.nMaxDrawWidBak = -100;
}

// Walks rows 1 to 37 of the header in file order. `io` reads or writes each field.
template <class IO, class D>
void WalkHeader(IO& io, D& d) {
  TEntJwwHeader& h = d.Enthd;
  io.Signature(h.jwID);
  io.Version(h.jwVer);
  const int32_t ver = h.jwVer;
  io.Memo(h.strMemo);
  io.I32(h.nZumen, "nZumen");
  io.I32(h.nWriteGLay, "nWriteGLay");
  for (int g = 0; g < 16; ++g) {
    TEntJwwLayerGroup& grp = d.EntLgrp[g];
    io.I32(grp.anGLay, "EntLgrp.anGLay", g);
    io.I32(grp.anWriteLay, "EntLgrp.anWriteLay", g);
    io.F64(grp.adScale, "EntLgrp.adScale", g);
    io.I32(grp.anGLayProtect, "EntLgrp.anGLayProtect", g);
    for (int l = 0; l < 16; ++l) {
      TEntJwwLayer& lay = d.EntLay[g * 16 + l];
      io.I32(lay.aanLay, "EntLay.aanLay", g * 16 + l);
      io.I32(lay.aanLayProtect, "EntLay.aanLayProtect", g * 16 + l);
    }
  }
  io.Reserved(56, 0x20, "reserved (56 bytes)");
  io.I32(h.lnSunpou1, "lnSunpou1");
  io.I32(h.lnSunpou2, "lnSunpou2");
  io.I32(h.lnSunpou3, "lnSunpou3");
  io.I32(h.lnSunpou4, "lnSunpou4");
  io.I32(h.lnSunpou5, "lnSunpou5");
  io.Reserved(4, 0x00, "reserved (4 bytes)");
  io.I32(h.nMaxDrawWid, "nMaxDrawWid");
  if constexpr (IO::kReading) DeriveMaxDrawWid(h);
  io.F64(h.DPPrtGenten_x, "DPPrtGenten_x");
  io.F64(h.DPPrtGenten_y, "DPPrtGenten_y");
  io.F64(h.dPrtBairitsu, "dPrtBairitsu");
  io.I32(h.nPrtSet, "nPrtSet");
  io.I32(h.nMemoriMode, "nMemoriMode");
  io.F64(h.dMemoriHyoujiMin, "dMemoriHyoujiMin");
  io.F64(h.dMemoriX, "dMemoriX");
  io.F64(h.dMemoriY, "dMemoriY");
  io.F64(h.DpMemoriKjTen_x, "DpMemoriKjTen_x");
  io.F64(h.DpMemoriKjTen_y, "DpMemoriKjTen_y");
  for (int i = 0; i < 256; ++i) io.Name(d.EntLay[i].aStrLayName, "EntLay.aStrLayName", i);
  for (int g = 0; g < 16; ++g) io.Name(d.EntLgrp[g].aStrGLayName, "EntLgrp.aStrGLayName", g);
  io.F64(h.dKageLevel, "dKageLevel");
  io.F64(h.dKageIdo, "dKageIdo");
  io.I32(h.nKage9_15JiFlg, "nKage9_15JiFlg");
  io.F64(h.dKabeKageLevel, "dKabeKageLevel");
  if (ver >= 300) {
    io.F64(h.dTenkuuZuLevel, "dTenkuuZuLevel");
    io.F64(h.dTenkuuZuEnkoR, "dTenkuuZuEnkoR");
  }
  io.I32(h.nMMTani3D, "nMMTani3D");
  io.F64(h.dBairitsu, "dBairitsu");
  io.F64(h.DPGenten_x, "DPGenten_x");
  io.F64(h.DPGenten_y, "DPGenten_y");
  io.F64(h.dHanniBairitsu, "dHanniBairitsu");
  io.F64(h.DPHanniGenten_x, "DPHanniGenten_x");
  io.F64(h.DPHanniGenten_y, "DPHanniGenten_y");
  if (ver >= 231) {
    for (int i = 1; i <= 8; ++i) {
      io.F64(h.dZoomJumpBairitsu[i], "dZoomJumpBairitsu", i);
      io.F64(h.DPZoomJumpGenten_x[i], "DPZoomJumpGenten_x", i);
      io.F64(h.DPZoomJumpGenten_y[i], "DPZoomJumpGenten_y", i);
      io.I32(h.nZoomJumpGLay[i], "nZoomJumpGLay", i);
    }
    io.F64(h.dDm11, "dDm11");
    io.F64(h.dDm12, "dDm12");
    io.F64(h.dDm13, "dDm13");
    io.I32(h.lnDm1, "lnDm1");
    io.F64(h.dDm21, "dDm21");
    io.F64(h.dDm22, "dDm22");
    io.F64(h.dMojiBG, "dMojiBG");
    io.I32(h.nMojiBG, "nMojiBG");
  } else {
    for (int i = 1; i <= 4; ++i) {
      io.F64(h.dZoomJumpBairitsu[i], "dZoomJumpBairitsu", i);
      io.F64(h.DPZoomJumpGenten_x[i], "DPZoomJumpGenten_x", i);
      io.F64(h.DPZoomJumpGenten_y[i], "DPZoomJumpGenten_y", i);
    }
  }
  for (int i = 0; i < 10; ++i) io.F64(h.adFukusenSuuchi[i], "adFukusenSuuchi", i);
  io.F64(h.dRyougawaFukusenTomeDe, "dRyougawaFukusenTomeDe");
  for (int i = 0; i < 10; ++i) {
    io.I32(d.EntCol[i].aPenColor, "EntCol.aPenColor", i);
    io.I32(d.EntCol[i].anPenWidth, "EntCol.anPenWidth", i);
  }
  for (int i = 0; i < 10; ++i) {
    io.I32(d.EntCol[i].aPrtPenColor, "EntCol.aPrtPenColor", i);
    io.I32(d.EntCol[i].anPrtPenWidth, "EntCol.anPrtPenWidth", i);
    io.F64(d.EntCol[i].adPrtTenHankei, "EntCol.adPrtTenHankei", i);
  }
  for (int i = 0; i < 8; ++i) {
    io.I32(d.EntLtp1[i].alLType, "EntLtp1.alLType", i);
    io.I32(d.EntLtp1[i].anTokushuSenUintDot, "EntLtp1.anTokushuSenUintDot", i);
    io.I32(d.EntLtp1[i].anTokushuSenPich, "EntLtp1.anTokushuSenPich", i);
    io.I32(d.EntLtp1[i].anPrtTokushuSenPich, "EntLtp1.anPrtTokushuSenPich", i);
  }
  for (int i = 0; i < 5; ++i) {
    io.I32(d.EntLtp2[i].alLType, "EntLtp2.alLType", i);
    io.I32(d.EntLtp2[i].anRandSenWide, "EntLtp2.anRandSenWide", i);
    io.I32(d.EntLtp2[i].anTokushuSenPich, "EntLtp2.anTokushuSenPich", i);
    io.I32(d.EntLtp2[i].anPrtRandSenWide, "EntLtp2.anPrtRandSenWide", i);
    io.I32(d.EntLtp2[i].anPrtTokushuSenPich, "EntLtp2.anPrtTokushuSenPich", i);
  }
  for (int i = 0; i < 4; ++i) {
    io.I32(d.EntLtp3[i].alLType, "EntLtp3.alLType", i);
    io.I32(d.EntLtp3[i].anTokushuSenUintDot, "EntLtp3.anTokushuSenUintDot", i);
    io.I32(d.EntLtp3[i].anTokushuSenPich, "EntLtp3.anTokushuSenPich", i);
    io.I32(d.EntLtp3[i].anPrtTokushuSenPich, "EntLtp3.anPrtTokushuSenPich", i);
  }
  io.I32(h.nDrawGamenTen, "nDrawGamenTen");
  io.I32(h.nDrawPrtTen, "nDrawPrtTen");
  io.I32(h.nBitMapFirstDraw, "nBitMapFirstDraw");
  io.I32(h.nGyakuDraw, "nGyakuDraw");
  io.I32(h.nGyakuSearch, "nGyakuSearch");
  io.I32(h.nColorPrint, "nColorPrint");
  io.I32(h.nLayJunPrint, "nLayJunPrint");
  io.I32(h.nColJunPrint, "nColJunPrint");
  io.I32(h.nPrtRenzoku, "nPrtRenzoku");
  io.I32(h.nPrtKyoutsuuGray, "nPrtKyoutsuuGray");
  {
    // One stored value v = nPrtDispOnlyNonDraw + 10 * nPrtDpi, split with truncating
    // division. The writer's image already holds the resolution it means to store.
    int32_t v = static_cast<int32_t>(static_cast<uint32_t>(h.nPrtDispOnlyNonDraw) +
                                     10u * static_cast<uint32_t>(h.nPrtDpi));
    io.I32(v, "nPrtDispOnlyNonDraw + 10 * nPrtDpi");
    if constexpr (IO::kReading) {
      h.nPrtDpi = v / 10;
      h.nPrtDispOnlyNonDraw = v - 10 * (v / 10);
    }
  }
  if (ver >= 223) {
    io.I32(h.lnDrawTime, "lnDrawTime");
    io.I32(h.nEyeInit, "nEyeInit");
    io.I32(h.dEye_H_Ichi_1, "dEye_H_Ichi_1");
    io.I32(h.dEye_H_Ichi_2, "dEye_H_Ichi_2");
    io.I32(h.dEye_H_Ichi_3, "dEye_H_Ichi_3");
    io.F64(h.dEye_Z_Ichi_1, "dEye_Z_Ichi_1");
    io.F64(h.dEye_Y_Ichi_1, "dEye_Y_Ichi_1");
    io.F64(h.dEye_Z_Ichi_2, "dEye_Z_Ichi_2");
    io.F64(h.dEye_Y_Ichi_2, "dEye_Y_Ichi_2");
    io.F64(h.dEye_V_Ichi_3, "dEye_V_Ichi_3");
  }
  if (ver >= 225) {
    io.F64(h.dSenNagasaSnpou, "dSenNagasaSnpou");
    io.F64(h.dBoxSunpouX, "dBoxSunpouX");
    io.F64(h.dBoxSunpouY, "dBoxSunpouY");
    io.F64(h.dEnHankeiSnpou, "dEnHankeiSnpou");
  }
  if (ver >= 230) {
    io.I32(h.nSolidNinniColor, "nSolidNinniColor");
    io.I32(h.SolidColor, "SolidColor");
  }
  if (ver >= 420) {
    for (int i = 0; i < 257; ++i) {
      io.I32(d.EntColS[i].aPenColor, "EntColS.aPenColor", i);
      io.I32(d.EntColS[i].anPenWidth, "EntColS.anPenWidth", i);
    }
    for (int i = 0; i < 257; ++i) {
      io.Name(d.EntColS[i].astrUDColorName, "EntColS.astrUDColorName", i);
      io.I32(d.EntColS[i].aPrtPenColor, "EntColS.aPrtPenColor", i);
      io.I32(d.EntColS[i].anPrtPenWidth, "EntColS.anPrtPenWidth", i);
      io.F64(d.EntColS[i].adPrtTenHankei, "EntColS.adPrtTenHankei", i);
    }
    for (int i = 0; i < 33; ++i) {
      io.I32(d.EntLtpS[i].alLType, "EntLtpS.alLType", i);
      io.I32(d.EntLtpS[i].anTokushuSenUintDot, "EntLtpS.anTokushuSenUintDot", i);
      io.I32(d.EntLtpS[i].anTokushuSenPich, "EntLtpS.anTokushuSenPich", i);
      io.I32(d.EntLtpS[i].anPrtTokushuSenPich, "EntLtpS.anPrtTokushuSenPich", i);
    }
    for (int i = 0; i < 33; ++i) {
      io.Name(d.EntLtpS[i].astrUDLTypeName, "EntLtpS.astrUDLTypeName", i);
      io.I32(d.EntLtpS[i].anUDLTypeSegment, "EntLtpS.anUDLTypeSegment", i);
      for (int k = 1; k <= 10; ++k)
        io.F64(d.EntLtpS[i].aadUDLTypePitch[k], "EntLtpS.aadUDLTypePitch", i, k);
    }
  }
  for (int i = 0; i < 10; ++i) {
    io.F64(d.EntMoj[i].adMojiX, "EntMoj.adMojiX", i);
    io.F64(d.EntMoj[i].adMojiY, "EntMoj.adMojiY", i);
    io.F64(d.EntMoj[i].adMojiD, "EntMoj.adMojiD", i);
    io.I32(d.EntMoj[i].anMojiCol, "EntMoj.anMojiCol", i);
  }
  io.F64(h.dMojiSizeX, "dMojiSizeX");
  io.F64(h.dMojiSizeY, "dMojiSizeY");
  io.F64(h.dMojiKankaku, "dMojiKankaku");
  io.I32(h.nMojiColor, "nMojiColor");
  io.I32(h.nMojiShu, "nMojiShu");
  io.F64(h.dMojiSeiriGyouKan, "dMojiSeiriGyouKan");
  io.F64(h.dMojiSeiriSuu, "dMojiSeiriSuu");
  io.I32(h.nMojiKijunZureOn, "nMojiKijunZureOn");
  io.F64(h.adMojiKijunZureX0, "adMojiKijunZureX0");
  io.F64(h.adMojiKijunZureX1, "adMojiKijunZureX1");
  io.F64(h.adMojiKijunZureX2, "adMojiKijunZureX2");
  io.F64(h.adMojiKijunZureY0, "adMojiKijunZureY0");
  io.F64(h.adMojiKijunZureY1, "adMojiKijunZureY1");
  io.Last(h.adMojiKijunZureY2, "adMojiKijunZureY2");
}

// Field reads do not check what arrived (a cut header keeps the values it had), except the
// signature, the version and the very last field.
struct THeaderReader {
  static constexpr bool kReading = true;
  TJwwData& doc;
  TJwwIn& s;
  std::vector<THeaderField>* trace = nullptr;

  void Mark(const char* name, int index = -1, int sub = -1) {
    if (trace) trace->push_back({s.Position(), name, index, sub});
  }
  void Signature(std::string& id) {
    Mark("signature");
    char b[8] = {};
    s.Read(b, sizeof b);
    id = BytesToStr(std::string_view(b, sizeof b));
    if (id != kSignature) ThrowIO(TJwwErrorKind::Header, "not a JWW drawing");
  }
  void Version(int32_t& v) {
    Mark("jwVer");
    s.Get(v);
    if (v < 220 || v > 700)
      ThrowIO(TJwwErrorKind::Version, "version " + std::to_string(v) + " is outside 220..700");
  }
  void Memo(std::string& t) {
    Mark("strMemo");
    t = doc.ReadStr(s);
  }
  void Name(std::string& t, const char* name, int index) {
    Mark(name, index);
    t = doc.ReadName(s);
  }
  void I32(int32_t& v, const char* name, int index = -1) {
    Mark(name, index);
    s.Get(v);
  }
  void F64(double& v, const char* name, int index = -1, int sub = -1) {
    Mark(name, index, sub);
    s.Get(v);
  }
  void Reserved(size_t n, uint8_t, const char* name) {
    Mark(name);
    s.Skip(n);
  }
  void Last(double& v, const char* name) {
    Mark(name);
    if (s.Get(v) == 0) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside the header");
  }
};

struct THeaderWriter {
  static constexpr bool kReading = false;
  TJwwData& doc;
  TJwwOut& s;

  void Signature(const std::string& id) {
    std::string bytes = StrToBytes(id);
    bytes.resize(8, '\0');
    s.Write(bytes.data(), 8);
  }
  void Version(int32_t v) { s.Put(v); }
  void Memo(const std::string& t) { doc.WriteStr(s, t); }
  void Name(const std::string& t, const char*, int) { doc.WriteStr(s, t); }
  void I32(int32_t v, const char*, int = -1) { s.Put(v); }
  void F64(double v, const char*, int = -1, int = -1) { s.Put(v); }
  void Reserved(size_t n, uint8_t fill, const char*) {
    uint8_t buf[64];
    FillBytes(fill, n, buf);
    s.Write(buf, n);
  }
  void Last(double v, const char*) { s.Put(v); }
};

std::string Numbered(const char* prefix, int i) {
  return prefix + std::to_string(i);
}

bool SegmentOk(int32_t n) {
  return n == 2 || n == 4 || n == 6 || n == 8;
}

// The header as the writer stores it for version Ver: every substitution of the format
// applied to a copy.
THeaderImage HeaderForWrite(const TJwwData& d, int32_t Ver) {
  THeaderImage img{d.Enthd,   d.EntLgrp, d.EntLay,  d.EntCol,  d.EntLtp1,
                   d.EntLtp2, d.EntLtp3, d.EntColS, d.EntLtpS, d.EntMoj};
  SizeTables(img);  // a document that never read a header still writes complete tables
  TEntJwwHeader& h = img.Enthd;
  h.jwID = kSignature;
  h.jwVer = Ver;
  for (auto& lay : img.EntLay) lay.aStrLayName = CleanName(lay.aStrLayName);
  for (auto& grp : img.EntLgrp) grp.aStrGLayName = CleanName(grp.aStrGLayName);
  if (Ver <= 420 && h.nMaxDrawWid < -101) h.nMaxDrawWid = -101;
  for (int i = 0; i < kColCount; ++i) {
    TEntJwwColorNo& c = img.EntCol[i];
    if (c.aPenColor < 0 || c.aPenColor > 0xFFFFFF) c.aPenColor = 0;
    if (c.anPenWidth < 1) c.anPenWidth = 1;
    if (c.anPenWidth > 16) c.anPenWidth = 16;
    if (c.aPrtPenColor < 0 || c.aPrtPenColor > 0xFFFFFF) c.aPrtPenColor = 0;
    if (i == 0) c.aPrtPenColor = 0xFFFFFF;
    if (c.anPrtPenWidth < 1) c.anPrtPenWidth = 1;
    if (c.anPrtPenWidth > 500) c.anPrtPenWidth = 500;
    if (c.adPrtTenHankei < 0.1) c.adPrtTenHankei = 0.1;
    if (c.adPrtTenHankei > 10.0) c.adPrtTenHankei = 10.0;
  }
  // From 600 on the resolution is stored, 1 standing in for an unset one.
  h.nPrtDpi = Ver >= 600 ? (d.Enthd.nPrtDpi > 0 ? d.Enthd.nPrtDpi : 1) : 0;
  if (Ver >= 420) {
    for (int i = 0; i < kColSCount; ++i) {
      TEntJwwColorExNo& c = img.EntColS[i];
      c.astrUDColorName = CleanName(c.astrUDColorName);
      if (StripBlanks(c.astrUDColorName).empty()) c.astrUDColorName = Numbered("Color_", i);
      if (i >= 17) c.aPrtPenColor = c.aPenColor;
    }
    for (int i = 0; i < kLtpSCount; ++i) {
      TEntJwwLineTypeExNo& t = img.EntLtpS[i];
      if (t.alLType == 0) t.alLType = -1;
      if (i >= 17 && !SegmentOk(t.anUDLTypeSegment)) {
        t.alLType = static_cast<int32_t>(0xC3C3C3C3u);
        t.anTokushuSenUintDot = 8;
        t.anTokushuSenPich = 1;
        t.anPrtTokushuSenPich = 8;
        t.astrUDLTypeName = Numbered("LType_", i);
        t.anUDLTypeSegment = 2;
        t.aadUDLTypePitch = {};
        t.aadUDLTypePitch[1] = 1.0;
        t.aadUDLTypePitch[2] = 1.0;
      } else {
        t.astrUDLTypeName = CleanName(t.astrUDLTypeName);
        if (StripBlanks(t.astrUDLTypeName).empty()) t.astrUDLTypeName = Numbered("LType_", i);
      }
    }
  }
  return img;
}

}  // namespace

bool TJwwData::ReadHeader(TJwwIn& s) {
  SizeTables(*this);
  try {
    THeaderReader io{*this, s};
    WalkHeader(io, *this);
    return true;
  } catch (const EJwwIOError& e) {
    Fail(e);
  } catch (const std::bad_alloc&) {
    Fail(EJwwIOError(TJwwErrorKind::Memory, "File I/O Error", "out of memory"));
  }
  return false;
}

void TJwwData::WriteHeader(TJwwOut& s, int32_t Ver) {
  Enthd.jwID = kSignature;
  THeaderImage img = HeaderForWrite(*this, Ver);
  THeaderWriter io{*this, s};
  WalkHeader(io, img);
}

bool TraceHeader(TJwwIn& s, std::vector<THeaderField>& fields) {
  TJwwData doc;
  SizeTables(doc);
  try {
    THeaderReader io{doc, s, &fields};
    WalkHeader(io, doc);
    return true;
  } catch (const EJwwIOError&) {
    return false;
  }
}

bool TJwwData::FileCheck(const std::filesystem::path& FName) {
  try {
    std::error_code ec;
    platform::File f = platform::File::OpenRead(FName, ec);
    if (!f.IsOpen()) ThrowIO(TJwwErrorKind::Open, ec.message());
    char b[12] = {};
    const size_t got = f.Read(b, sizeof b, ec);
    if (ec) ThrowIO(TJwwErrorKind::Read, ec.message());
    if (BytesToStr(std::string_view(b, 8)) != kSignature)
      ThrowIO(TJwwErrorKind::Header, "not a JWW drawing");
    int32_t v = 0;
    std::memcpy(&v, b + 8, sizeof v);
    if (got < sizeof b) ThrowIO(TJwwErrorKind::Truncated, "the file ends inside the header");
    if (v < 220 || v > 700)
      ThrowIO(TJwwErrorKind::Version, "version " + std::to_string(v) + " is outside 220..700");
    Succeed();
    return true;
  } catch (const EJwwIOError& e) {
    Fail(e);
  } catch (const std::exception& e) {
    Fail(EJwwIOError(TJwwErrorKind::Read, "File I/O Error", e.what()));
  }
  return false;
}

bool TJwwData::FileHeaderIn(const std::filesystem::path& FName) {
  DataInit();
  try {
    std::error_code ec;
    platform::File f = platform::File::OpenRead(FName, ec);
    if (!f.IsOpen()) ThrowIO(TJwwErrorKind::Open, ec.message());
    TJwwIn s(f);
    if (!ReadHeader(s)) return false;
    Succeed();
    return true;
  } catch (const EJwwIOError& e) {
    Fail(e);
  } catch (const std::exception& e) {
    Fail(EJwwIOError(TJwwErrorKind::Read, "File I/O Error", e.what()));
  }
  return false;
}

}  // namespace jww
