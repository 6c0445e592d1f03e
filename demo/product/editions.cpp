#include "editions.h"

#include <algorithm>

namespace talu::demo {
namespace {

constexpr Greeting kEnglish{u"English", u"Hello! Welcome to TaluDemo."};

constexpr Greeting kBasic[] = {
    kEnglish,
    {u"Deutsch", u"Hallo! Willkommen bei TaluDemo."},
    {u"Nederlands", u"Hallo! Welkom bij TaluDemo."},
    {u"Français", u"Bonjour\u00a0! Bienvenue dans TaluDemo."},
    {u"Magyar", u"Jó napot! Üdvözöljük a TaluDemo programban."},
    {u"Slovenčina", u"Dobrý deň! Vitajte v programe TaluDemo."},
    {u"Български", u"Здравейте! Добре дошли в TaluDemo."},
    {u"Русский", u"Здравствуйте! Добро пожаловать в TaluDemo."},
};

constexpr Greeting kGreek[] = {
    kEnglish,
    {u"Ελληνικά", u"Γεια σας! Καλώς ήρθατε στο TaluDemo."},
};

constexpr Greeting kVietnamese[] = {
    kEnglish,
    {u"Tiếng Việt", u"Xin chào! Chào mừng bạn đến với TaluDemo."},
};

constexpr Greeting kJapanese[] = {
    kEnglish,
    {u"日本語", u"こんにちは！TaluDemoへようこそ。"},
};

constexpr Edition kEditions[] = {
    {'B', u"Basic", kBasic},
    {'G', u"Greek", kGreek},
    {'V', u"Vietnamese", kVietnamese},
    {'J', u"Japanese", kJapanese},
};

}  // namespace

std::span<const Edition> AllEditions() {
  return kEditions;
}

const Edition& EditionByLetter(char letter) {
  const auto* found = std::find_if(std::begin(kEditions), std::end(kEditions),
                                   [letter](const Edition& e) { return e.letter == letter; });
  return found != std::end(kEditions) ? *found : kEditions[0];
}

}  // namespace talu::demo
