#include <gtest/gtest.h>

#include "jww/JwwUnit.h"
#include "tests/support.h"

namespace {

using namespace jww;

TEST(Document, CreateGivesAnEmptyDocumentWithDefaults) {
  TJwwData doc;
  EXPECT_EQ(doc.EntLineN + doc.EntEnkoN + doc.EntTenN + doc.EntMojiN + doc.EntSunpoN +
                doc.EntSolidN + doc.EntBlockN + doc.EntBlockDefN + doc.EntBlockTreeN +
                doc.EntBlockNum + doc.BindImageN + doc.FontNameN,
            0);
  EXPECT_TRUE(doc.EntLay.empty());
  EXPECT_TRUE(doc.EntColS.empty());
  EXPECT_TRUE(doc.EntNo.empty());
  EXPECT_EQ(doc.Enthd.dBairitsu, 1.0);
  EXPECT_EQ(doc.Enthd.dPrtBairitsu, 1.0);
  EXPECT_EQ(doc.Enthd.dHanniBairitsu, 1.0);
  EXPECT_EQ(doc.Enthd.dMemoriX, 1.0);
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(doc.Enthd.nZoomJumpGLay[i], -1) << i;
    EXPECT_EQ(doc.Enthd.dZoomJumpBairitsu[i], 1.0) << i;
  }
  EXPECT_EQ(doc.Enthd.jwVer, 0);
  EXPECT_FALSE(doc.BindImageExp);
  EXPECT_FALSE(doc.BindImageExr);
  EXPECT_EQ(doc.StrForm, TJwwTextForm::CodePage);
}

TEST(Document, DataInitKeepsTheImageSettingsAndResetsTheRest) {
  TJwwData doc;
  doc.DataDefaultSet();
  doc.BindImageFolder = "/tmp/x/";
  doc.BindImageExp = doc.BindImageExr = true;
  doc.BindImage.push_back({"a.bmp", 3, true});
  doc.BindImageN = 1;
  doc.FileOutOpt = 9;
  doc.StrForm = TJwwTextForm::Unicode;
  doc.DataInit();
  EXPECT_EQ(doc.BindImageFolder, "/tmp/x/");
  EXPECT_TRUE(doc.BindImageExp && doc.BindImageExr);
  EXPECT_TRUE(doc.BindImage.empty());
  EXPECT_EQ(doc.BindImageN, 0);
  EXPECT_EQ(doc.FileOutOpt, 0);
  EXPECT_EQ(doc.StrForm, TJwwTextForm::CodePage);
  EXPECT_TRUE(doc.EntLgrp.empty());
}

TEST(Document, DataFreeReleasesBlockDefinitions) {
  TJwwData doc;
  TEntJwwBlockDef def;
  def.mLine.resize(3);
  def.mLineN = 3;
  def.mNo.resize(3, {kLine, 0});
  def.N = 3;
  doc.EntBlockDef.assign(2, def);
  doc.EntBlockDefN = 2;
  doc.EntLine.resize(5);
  doc.EntLineN = 5;
  doc.DataFree();
  EXPECT_EQ(doc.EntBlockDefN, 0);
  EXPECT_TRUE(doc.EntBlockDef.empty());
  EXPECT_EQ(doc.EntLineN, 0);
  EXPECT_EQ(doc.EntLine.capacity(), 0u);
}

TEST(Document, DefaultSetFillsEveryTableAndCopiesAreIndependent) {
  TJwwData doc;
  doc.DataDefaultSet();
  EXPECT_EQ(doc.EntLgrp.size(), 16u);
  EXPECT_EQ(doc.EntLay.size(), 256u);
  EXPECT_EQ(doc.EntCol.size(), 10u);
  EXPECT_EQ(doc.EntLtp1.size(), 8u);
  EXPECT_EQ(doc.EntLtp2.size(), 5u);
  EXPECT_EQ(doc.EntLtp3.size(), 4u);
  EXPECT_EQ(doc.EntColS.size(), 257u);
  EXPECT_EQ(doc.EntLtpS.size(), 33u);
  EXPECT_EQ(doc.EntMoj.size(), 10u);
  EXPECT_EQ(doc.EntColS[1].astrUDColorName, "black");
  EXPECT_EQ(doc.EntLtpS[1].astrUDLTypeName, "continuous");
  TJwwData copy = doc;
  copy.EntLay[0].aStrLayName = "changed";
  EXPECT_TRUE(doc.EntLay[0].aStrLayName.empty());
}

}  // namespace
