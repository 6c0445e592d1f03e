#include "demo_window.h"

#include "script_fonts.h"

namespace talu::demo {
namespace {

constexpr int kMargin = 16;
constexpr int kClientWidth = 560;
constexpr int kGreetingsTop = 72;
constexpr int kRowHeight = 24;
constexpr int kTextColumn = 132;
constexpr int kTextHeight = 15;
constexpr int kTipHeight = 40;  // two lines of tip text
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 25;

gui::FormOptions OptionsFor(const std::u16string& caption, int clientHeight) {
  gui::FormOptions options;
  options.caption = caption;
  options.clientWidth = kClientWidth;
  options.clientHeight = clientHeight;
  options.font = {u"Tahoma", 13};
  return options;
}

std::u16string SubtitleOf(const Edition& edition, const ProductData& data) {
  std::u16string line = std::u16string(edition.name) + u" edition";
  return data.publisher.empty() ? line : line + u" \u2014 " + data.publisher;
}

gui::FontSpec ScriptFont(std::u16string_view text, bool bold = false) {
  return {FaceFor(text), kTextHeight, bold};
}

}  // namespace

DemoWindow::Layout::Layout(size_t rows)
    : separator(kGreetingsTop + static_cast<int>(rows) * kRowHeight + 6),
      tipCaption(separator + 12),
      tip(tipCaption + 20),
      button(tip + kTipHeight + 8),
      clientHeight(button + kButtonHeight + 12) {}

std::u16string DemoWindow::CaptionOf(const Edition& edition) {
  return u"TaluDemo - " + std::u16string(edition.name);
}

DemoWindow::DemoWindow(const Edition& edition, const ProductData& data)
    : Form(OptionsFor(CaptionOf(edition), Layout(edition.greetings.size()).clientHeight)),
      layout_(edition.greetings.size()),
      title_(*this, kMargin, 14, data.title),
      subtitle_(*this, kMargin, 42, SubtitleOf(edition, data)),
      separator_(*this, {kMargin, layout_.separator, kClientWidth - 2 * kMargin, 6}),
      tipCaption_(*this, kMargin, layout_.tipCaption, u"Tip of the day"),
      tip_(*this, {kMargin, layout_.tip, kClientWidth - 2 * kMargin, 0}, data.tip),
      close_(*this,
             {kClientWidth - kMargin - kButtonWidth, layout_.button, kButtonWidth, kButtonHeight},
             u"Close") {
  title_.SetFont({u"Tahoma", 20, true});
  tipCaption_.SetFont({u"Tahoma", 13, true});
  tip_.SetFont(ScriptFont(data.tip));
  AddGreetings(edition);
  close_.SetOnClick([this] { Close(); });
  SetDefaultButton(close_);
  SetCancelButton(close_);
  SetIconFromResource();
}

void DemoWindow::AddGreetings(const Edition& edition) {
  int top = kGreetingsTop;
  for (const Greeting& greeting : edition.greetings) {
    const std::u16string language(greeting.language);
    const std::u16string text(greeting.text);
    auto& name =
        *greetings_.emplace_back(std::make_unique<gui::Label>(*this, kMargin, top, language));
    name.SetFont(ScriptFont(language, true));
    auto& line =
        *greetings_.emplace_back(std::make_unique<gui::Label>(*this, kTextColumn, top, text));
    line.SetFont(ScriptFont(text));
    top += kRowHeight;
  }
}

// The program's icon "MAINICON" in the title bar and the task switcher.
void DemoWindow::SetIconFromResource() {
  const HINSTANCE program = GetModuleHandleW(nullptr);
  for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    const HANDLE icon = LoadImageW(program, L"MAINICON", IMAGE_ICON, size, size, LR_SHARED);
    if (icon != nullptr) SendMessageW(Handle(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

}  // namespace talu::demo
