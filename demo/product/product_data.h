// The product's data folder "CSTALU": the product line from "product.ini" and a tip of the day
// from the tips file that the same file names for an edition.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace talu::demo {

struct ProductData {
  bool found = false;        // false: the folder or its "product.ini" is missing
  std::u16string title;      // "TaluDemo 1.0.7", or "TaluDemo" without the data
  std::u16string publisher;  // empty without the data
  std::u16string tip;        // a line of the edition's tips file, or a note why there is none
};

// The folder "CSTALU" beside the running program.
std::filesystem::path DataFolderBesideProgram();

// Reads the data of `editionName` ("Basic", ...) from `folder`; `day` picks the tip.
ProductData ReadProductData(const std::filesystem::path& folder, const std::u16string& editionName,
                            unsigned day);

// The non-empty lines of a UTF-8 text file (byte-order mark and CR line ends allowed); empty
// when the file cannot be read.
std::vector<std::u16string> ReadTextLines(const std::filesystem::path& file);

// The day number that picks today's tip: days since 1601-01-01, local time.
unsigned Today();

}  // namespace talu::demo
