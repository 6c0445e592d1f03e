// The product's four language editions and the greetings each one shows.
#pragma once

#include <span>
#include <string_view>

namespace talu::demo {

struct Greeting {
  std::u16string_view language;  // the language's own name for itself
  std::u16string_view text;
};

struct Edition {
  char letter;               // the last letter of the program's name: Talu_Demo_0107B.exe
  std::u16string_view name;  // "Basic", "Greek", "Vietnamese", "Japanese"
  std::span<const Greeting> greetings;
};

std::span<const Edition> AllEditions();

// The edition with this letter; the first one (Basic) for an unknown letter.
const Edition& EditionByLetter(char letter);

}  // namespace talu::demo
