// Writes the bundled example drawing with the project's own writer.
#include <cstdio>
#include <filesystem>

#include "jww/JwwUnit.h"
#include "platform/file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-example OUT.jww\n");
    return 2;
  }
  jww::TJwwData doc;
  doc.DataDefaultSet();
  doc.Enthd.strMemo = "Dotsweep の見本図面";
  doc.EntLgrp[0].aStrGLayName = "平面図";
  doc.EntLgrp[0].adScale = 100.0;
  doc.EntLay[0].aStrLayName = "通り芯";
  doc.EntLay[1].aStrLayName = "躯体";
  doc.EntLay[2].aStrLayName = "補助線";

  const std::filesystem::path out = argv[1];
  std::error_code ec;
  std::filesystem::remove(out, ec);
  platform::File f = platform::File::CreateNew(out, ec);
  if (!f.IsOpen()) {
    std::fprintf(stderr, "make-example: cannot create %s: %s\n", out.c_str(), ec.message().c_str());
    return 1;
  }
  try {
    jww::TJwwOut s(f);
    doc.WriteHeader(s, doc.Enthd.jwVer);
    doc.WriteCount(s, 0);  // no entities
    doc.WriteCount(s, 0);  // no block definitions
    s.Flush();
  } catch (const jww::EJwwIOError& e) {
    std::fprintf(stderr, "make-example: %s\n", e.what());
    return 1;
  }
  return f.Close(ec) ? 0 : 1;
}
