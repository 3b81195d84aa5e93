// The records of a Jw_cad drawing as the document holds them. Field names are Jw_cad's own
// romanised Japanese names with type prefixes, so the file layouts read against them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace jww {

// Entity kind codes: the single definition used by the list reader and writer, the point
// deletion and the drivers.
enum TJwwKind : int32_t {
  kDropped = 0,
  kLine = 1,
  kEnko = 2,
  kTen = 3,
  kMoji = 4,
  kSunpo = 5,
  kSolid = 6,
  kBlock = 7,
  // Not an entity: the attribute writer's code for a block definition's attribute block,
  // and the class slot of "CDataList" in the tag state.
  kBlockDef = 8,
};

// Attribute block that heads every entity record and block definition.
struct TEntJwwAttr {
  uint32_t lGroup = 0;
  uint8_t nPenStyle = 0;
  uint16_t nPenColor = 0;
  uint16_t nPenWidth = 0;  // always 0 in files below version 351
  uint16_t nLayer = 0;
  uint16_t nGLayer = 0;
  uint16_t sFlg = 0;
  bool operator==(const TEntJwwAttr&) const = default;
};

struct TEntJwwLine {
  TEntJwwAttr att;
  double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
  bool operator==(const TEntJwwLine&) const = default;
};

struct TEntJwwEnko {
  TEntJwwAttr att;
  double start_x = 0, start_y = 0;  // centre
  double dHankei = 0;
  double radKaishiKaku = 0, radEnkoKaku = 0, radKatamukiKaku = 0;
  double dHenpeiRitsu = 0;
  uint32_t bZenEnFlg = 0;
  bool operator==(const TEntJwwEnko&) const = default;
};

struct TEntJwwTen {
  TEntJwwAttr att;
  double start_x = 0, start_y = 0;
  uint32_t bKariten = 0;
  // Only meaningful, read and written when att.nPenStyle is 100.
  uint32_t nCode = 0;
  double radKaitenKaku = 0;
  double dBairitsu = 0;
  bool operator==(const TEntJwwTen&) const = default;
};

struct TEntJwwMoji {
  TEntJwwAttr att;
  double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
  uint32_t nMojiShu = 0;
  double dSizeX = 0, dSizeY = 0, dKankaku = 0, degKakudo = 0;
  std::string strFontName;
  std::string str;
  bool operator==(const TEntJwwMoji&) const = default;
};

struct TEntJwwSunpo {
  TEntJwwAttr att;
  TEntJwwLine Sen;
  TEntJwwMoji Moji;
  uint16_t bSxfMode = 0;
  TEntJwwLine Ho1, Ho2;
  TEntJwwTen Te1, Te2, Kt1, Kt2;
  bool operator==(const TEntJwwSunpo&) const = default;
};

struct TEntJwwSolid {
  TEntJwwAttr att;
  double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
  double DPoint2_x = 0, DPoint2_y = 0, DPoint3_x = 0, DPoint3_y = 0;
  uint32_t Color = 0;  // used when att.nPenColor is 10
  bool operator==(const TEntJwwSolid&) const = default;
};

struct TEntJwwBlock {
  TEntJwwAttr att;
  double DPKijunTen_x = 0, DPKijunTen_y = 0;
  double dBairitsuX = 0, dBairitsuY = 0;
  double radKaitenKaku = 0;
  uint32_t nNumber = 0;
  bool operator==(const TEntJwwBlock&) const = default;
};

// One entry of an entity order list.
struct TEntJwwNo {
  int32_t EntType = kDropped;
  int32_t EntNo = 0;
  bool operator==(const TEntJwwNo&) const = default;
};

struct TEntJwwBlockDef {
  TEntJwwAttr att;
  uint32_t nNumber = 0;
  uint32_t bRefferd = 0;
  uint32_t dtime = 0;
  std::string strName;
  int32_t N = 0;
  std::vector<TEntJwwNo> mNo;
  int32_t mLineN = 0, mEnkoN = 0, mTenN = 0, mMojiN = 0, mSunpoN = 0, mSolidN = 0, mBlockN = 0;
  std::vector<TEntJwwLine> mLine;
  std::vector<TEntJwwEnko> mEnko;
  std::vector<TEntJwwTen> mTen;
  std::vector<TEntJwwMoji> mMoji;
  std::vector<TEntJwwSunpo> mSunpo;
  std::vector<TEntJwwSolid> mSolid;
  std::vector<TEntJwwBlock> mBlock;
  bool ref_flag = false;
  int32_t ref_no = -1;
  bool operator==(const TEntJwwBlockDef&) const = default;
};

struct TEntJwwBlockTree {
  TEntJwwAttr att;
  int32_t level = 0;
  int32_t parent = -1;
  uint32_t no = 0;
  int32_t defno = -1;
  std::string name;
  double x = 0, y = 0;
  double r1 = 0, r2 = 0, r3 = 0, r4 = 0;
  bool operator==(const TEntJwwBlockTree&) const = default;
};

struct TEntJwwLayerGroup {
  int32_t anGLay = 0;
  int32_t anWriteLay = 0;
  double adScale = 0;
  int32_t anGLayProtect = 0;
  std::string aStrGLayName;
  bool operator==(const TEntJwwLayerGroup&) const = default;
};

struct TEntJwwLayer {
  int32_t aanLay = 0;
  int32_t aanLayProtect = 0;
  std::string aStrLayName;
  bool operator==(const TEntJwwLayer&) const = default;
};

struct TEntJwwColorNo {
  int32_t aPenColor = 0;
  int32_t anPenWidth = 0;
  int32_t aPrtPenColor = 0;
  int32_t anPrtPenWidth = 0;
  double adPrtTenHankei = 0;
  bool operator==(const TEntJwwColorNo&) const = default;
};

struct TEntJwwLineTypeNo {
  int32_t alLType = 0;
  int32_t anTokushuSenUintDot = 0;
  int32_t anTokushuSenPich = 0;
  int32_t anPrtTokushuSenPich = 0;
  bool operator==(const TEntJwwLineTypeNo&) const = default;
};

struct TEntJwwRandomLineNo {
  int32_t alLType = 0;
  int32_t anRandSenWide = 0;
  int32_t anTokushuSenPich = 0;
  int32_t anPrtRandSenWide = 0;
  int32_t anPrtTokushuSenPich = 0;
  bool operator==(const TEntJwwRandomLineNo&) const = default;
};

struct TEntJwwColorExNo {
  int32_t aPenColor = 0;
  int32_t anPenWidth = 0;
  std::string astrUDColorName;
  int32_t aPrtPenColor = 0;
  int32_t anPrtPenWidth = 0;
  double adPrtTenHankei = 0;
  bool operator==(const TEntJwwColorExNo&) const = default;
};

struct TEntJwwLineTypeExNo {
  int32_t alLType = 0;
  int32_t anTokushuSenUintDot = 0;
  int32_t anTokushuSenPich = 0;
  int32_t anPrtTokushuSenPich = 0;
  std::string astrUDLTypeName;
  int32_t anUDLTypeSegment = 0;
  std::array<double, 11> aadUDLTypePitch{};  // indexed 1..10
  bool operator==(const TEntJwwLineTypeExNo&) const = default;
};

struct TEntJwwMojiType {
  double adMojiX = 0, adMojiY = 0, adMojiD = 0;
  int32_t anMojiCol = 0;
  bool operator==(const TEntJwwMojiType&) const = default;
};

// One embedded picture.
struct TBindImageType {
  std::string Fname;
  int32_t Fsize = 0;
  bool exf = false;
  bool operator==(const TBindImageType&) const = default;
};

// Header settings. Arrays that Jw_cad indexes from 1 keep an unused element 0 so that the
// indexes read the same as in the file layout.
struct TEntJwwHeader {
  std::string jwID;
  int32_t jwVer = 0;
  std::string strMemo;
  int32_t nZumen = 0;
  int32_t nWriteGLay = 0;
  int32_t lnSunpou1 = 0, lnSunpou2 = 0, lnSunpou3 = 0, lnSunpou4 = 0, lnSunpou5 = 0;
  int32_t nMaxDrawWid = 0;
  bool bSenHaba100 = false;
  int32_t nMaxDrawWidBak = 0;
  double DPPrtGenten_x = 0, DPPrtGenten_y = 0, dPrtBairitsu = 0;
  int32_t nPrtSet = 0, nMemoriMode = 0;
  double dMemoriHyoujiMin = 0, dMemoriX = 0, dMemoriY = 0, DpMemoriKjTen_x = 0, DpMemoriKjTen_y = 0;
  double dKageLevel = 0, dKageIdo = 0;
  int32_t nKage9_15JiFlg = 0;
  double dKabeKageLevel = 0, dTenkuuZuLevel = 0, dTenkuuZuEnkoR = 0;
  int32_t nMMTani3D = 0;
  double dBairitsu = 0, DPGenten_x = 0, DPGenten_y = 0;
  double dHanniBairitsu = 0, DPHanniGenten_x = 0, DPHanniGenten_y = 0;
  std::array<double, 9> dZoomJumpBairitsu{};   // indexed 1..8
  std::array<double, 9> DPZoomJumpGenten_x{};  // indexed 1..8
  std::array<double, 9> DPZoomJumpGenten_y{};  // indexed 1..8
  std::array<int32_t, 9> nZoomJumpGLay{};      // indexed 1..8
  double dDm11 = 0, dDm12 = 0, dDm13 = 0;
  int32_t lnDm1 = 0;
  double dDm21 = 0, dDm22 = 0, dMojiBG = 0;
  int32_t nMojiBG = 0;
  std::array<double, 10> adFukusenSuuchi{};  // indexed 0..9
  double dRyougawaFukusenTomeDe = 0;
  int32_t nDrawGamenTen = 0, nDrawPrtTen = 0, nBitMapFirstDraw = 0, nGyakuDraw = 0,
          nGyakuSearch = 0, nColorPrint = 0, nLayJunPrint = 0, nColJunPrint = 0, nPrtRenzoku = 0,
          nPrtKyoutsuuGray = 0;
  int32_t nPrtDispOnlyNonDraw = 0;
  int32_t nPrtDpi = 0;
  int32_t lnDrawTime = 0, nEyeInit = 0;
  int32_t dEye_H_Ichi_1 = 0, dEye_H_Ichi_2 = 0, dEye_H_Ichi_3 = 0;  // integers despite the prefix
  double dEye_Z_Ichi_1 = 0, dEye_Y_Ichi_1 = 0, dEye_Z_Ichi_2 = 0, dEye_Y_Ichi_2 = 0,
         dEye_V_Ichi_3 = 0;
  double dSenNagasaSnpou = 0, dBoxSunpouX = 0, dBoxSunpouY = 0, dEnHankeiSnpou = 0;
  int32_t nSolidNinniColor = 0, SolidColor = 0;
  double dMojiSizeX = 0, dMojiSizeY = 0, dMojiKankaku = 0;
  int32_t nMojiColor = 0, nMojiShu = 0;
  double dMojiSeiriGyouKan = 0, dMojiSeiriSuu = 0;
  int32_t nMojiKijunZureOn = 0;
  double adMojiKijunZureX0 = 0, adMojiKijunZureX1 = 0, adMojiKijunZureX2 = 0;
  double adMojiKijunZureY0 = 0, adMojiKijunZureY1 = 0, adMojiKijunZureY2 = 0;
  int32_t n1 = 0;  // entries of the drawing's order list; set by the reader
  int32_t n2 = 0;  // block definitions read; set by the reader
  bool operator==(const TEntJwwHeader&) const = default;
};

}  // namespace jww
