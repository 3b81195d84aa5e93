// Settings of a new, empty drawing, close to what Jw_cad gives a fresh file.
#include "jww/JwwUnit.h"

namespace jww {
namespace {

constexpr int32_t Rgb(int r, int g, int b) {
  return r | (g << 8) | (b << 16);
}

}  // namespace

void TJwwData::DataDefaultSet() {
  DataInit();
  EntLgrp.resize(kLgrpCount);
  EntLay.resize(kLayCount);
  EntCol.resize(kColCount);
  EntLtp1.resize(kLtp1Count);
  EntLtp2.resize(kLtp2Count);
  EntLtp3.resize(kLtp3Count);
  EntColS.resize(kColSCount);
  EntLtpS.resize(kLtpSCount);
  EntMoj.resize(kMojCount);

  Enthd.jwID = "JwwData.";
  Enthd.jwVer = 600;
  Enthd.nZumen = 3;  // A3
  Enthd.nMaxDrawWid = 1;
  Enthd.nMaxDrawWidBak = 1;
  for (int g = 0; g < kLgrpCount; ++g) {
    EntLgrp[g].anGLay = 2;  // shown and editable
    EntLgrp[g].adScale = 1.0;
    for (int l = 0; l < 16; ++l) EntLay[g * 16 + l].aanLay = 2;
  }
  EntLgrp[0].anGLay = 3;  // the current group
  EntLay[0].aanLay = 3;   // the current layer

  static const int32_t kScreen[kColCount] = {
      Rgb(255, 255, 255), Rgb(0, 0, 0),   Rgb(0, 0, 0),     Rgb(0, 160, 0),   Rgb(240, 200, 0),
      Rgb(255, 0, 255),   Rgb(0, 0, 255), Rgb(0, 128, 128), Rgb(255, 0, 128), Rgb(192, 192, 192)};
  for (int i = 0; i < kColCount; ++i) {
    EntCol[i].aPenColor = kScreen[i];
    EntCol[i].anPenWidth = 1;
    EntCol[i].aPrtPenColor = i == 0 ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
    EntCol[i].anPrtPenWidth = 1;
    EntCol[i].adPrtTenHankei = 0.3;
  }
  static const int32_t kPatterns[kLtp1Count] = {
      static_cast<int32_t>(0xFFFFFFFFu), static_cast<int32_t>(0xFFFF0000u),
      static_cast<int32_t>(0xFF00FF00u), static_cast<int32_t>(0xF0F0F0F0u),
      static_cast<int32_t>(0xFFF0FF00u), static_cast<int32_t>(0xFF18FF18u),
      static_cast<int32_t>(0xFFF0F0F0u), static_cast<int32_t>(0xCCCCCCCCu)};
  for (int i = 0; i < kLtp1Count; ++i) {
    EntLtp1[i] = {kPatterns[i], 32, 1, 1};
  }
  for (int i = 0; i < kLtp2Count; ++i) EntLtp2[i] = {static_cast<int32_t>(0xFFFFFFFFu), 1, 1, 1, 1};
  for (int i = 0; i < kLtp3Count; ++i) EntLtp3[i] = {kPatterns[i + 1], 32, 2, 2};

  static const char* const kColorNames[10] = {"Color_0", "black",  "red",  "green", "blue",
                                              "yellow",  "purple", "cyan", "gray",  "white"};
  for (int i = 0; i < kColSCount; ++i) {
    TEntJwwColorExNo& c = EntColS[i];
    c.astrUDColorName = i < 10 ? kColorNames[i] : "Color_" + std::to_string(i);
    c.aPenColor = i < kColCount ? EntCol[i].aPenColor : Rgb(0, 0, 0);
    c.anPenWidth = 1;
    c.aPrtPenColor = i == 0 ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
    c.anPrtPenWidth = 1;
    c.adPrtTenHankei = 0.3;
  }
  static const char* const kLTypeNames[9] = {"Ltype_0", "continuous", "dot1",   "dot2", "dot3",
                                             "chain1",  "chain2",     "chain3", "dash"};
  for (int i = 0; i < kLtpSCount; ++i) {
    TEntJwwLineTypeExNo& t = EntLtpS[i];
    t.alLType = i < kLtp1Count ? kPatterns[i] : static_cast<int32_t>(0xFFFFFFFFu);
    t.anTokushuSenUintDot = 32;
    t.anTokushuSenPich = 1;
    t.anPrtTokushuSenPich = 1;
    t.astrUDLTypeName = i < 9 ? kLTypeNames[i] : "Ltype_" + std::to_string(i);
    t.anUDLTypeSegment = 2;
    t.aadUDLTypePitch[1] = 1.0;
    t.aadUDLTypePitch[2] = 1.0;
  }
  for (int i = 0; i < kMojCount; ++i) {
    const double size = 2.0 + i;
    EntMoj[i] = {size, size, 0.0, 1};
  }
  Enthd.dMojiSizeX = Enthd.dMojiSizeY = 3.0;
  Enthd.nMojiColor = 1;
  Enthd.nMojiShu = 1;
  Enthd.nPrtDpi = 1;
}

}  // namespace jww
