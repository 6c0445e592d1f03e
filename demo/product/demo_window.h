// The window of the product: a greeting in each language of the edition, the product line and
// a tip of the day read from the data folder, and a Close button.
#pragma once

#include <memory>
#include <vector>

#include "editions.h"
#include "gui/bevel.h"
#include "gui/button.h"
#include "gui/form.h"
#include "gui/label.h"
#include "product_data.h"

namespace talu::demo {

class DemoWindow : public gui::Form {
 public:
  DemoWindow(const Edition& edition, const ProductData& data);

  // The window's caption for an edition: "TaluDemo - Greek".
  static std::u16string CaptionOf(const Edition& edition);

 private:
  // Vertical places of the parts below the greetings, which take one row each.
  struct Layout {
    explicit Layout(size_t rows);
    int separator, tipCaption, tip, button, clientHeight;
  };

  void AddGreetings(const Edition& edition);
  void SetIconFromResource();

  Layout layout_;
  gui::Label title_;
  gui::Label subtitle_;
  std::vector<std::unique_ptr<gui::Label>> greetings_;
  gui::Bevel separator_;
  gui::Label tipCaption_;
  gui::Label tip_;
  gui::Button close_;
};

}  // namespace talu::demo
