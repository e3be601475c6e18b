#pragma once
// Print file lines the report tests expect: the demo company and the Catalan page header.
#include <string>
#include <vector>

namespace report_test {

// `text` blank-padded to `width`.
inline std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
}

inline const std::string kCompanyName = Padded("DISTRIBUCIONS DEL PENED\x90S, S.L.", 35);
inline const std::string kCompanyTaxId = Padded("ESB12345678", 35);

// The header lines of a page in Catalan; `page` is the page number as FormatPicture "ZZZ9"
// gives it ("   1").
inline std::vector<std::string> CatalanHeader(const std::string& page) {
  return {"PAGE 66 ",
          "*@e",
          " 1 ," + kCompanyName + ", 0 ",
          "JUSD",
          " 85 ,P\xB7GINA " + page + ", 2 ",
          " 34 ,TAULA DE REMESES EN DISKETTE, 2 ",
          " 1 ,R., 0 ",
          " 4 ,IBAN A ABONAR, 0 ",
          " 34 ,OFI, 0 ",
          " 40 ,PRE, 0 ",
          " 44 ,NOM ORDENANT, 0 ",
          " 75 ,N.I.F., 0 ",
          " 93 ,SUF, 1 ",
          " 1 ," + std::string(95, '-') + ", 1 "};
}

}  // namespace report_test
