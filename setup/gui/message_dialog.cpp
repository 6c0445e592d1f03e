#include "gui/message_dialog.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "gui/button.h"
#include "gui/dialog_options.h"
#include "gui/label.h"
#include "gui/picture.h"

namespace gui {
namespace {

// Sizes in dialog units.
constexpr int kMargin = 8;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 4;
constexpr int kMaxTextWidth = 220;

const wchar_t* KindIcon(MessageKind kind) {
  static const wchar_t* const kIcons[] = {IDI_ERROR, IDI_INFORMATION, IDI_QUESTION,
                                          IDI_WARNING};  // in the order of MessageKind
  return kIcons[static_cast<size_t>(kind)];
}

// Escape and the close box press Cancel, else No, else OK, when the box has one of them.
Answer EscapeAnswer(const Buttons& buttons) {
  for (Answer answer : {Answer::Cancel, Answer::No, Answer::OK}) {
    if (std::find(buttons.begin(), buttons.end(), answer) != buttons.end()) return answer;
  }
  return Answer::None;
}

// Icon at the left, text beside it, the row of buttons centred below both; in pixels.
struct Layout {
  int margin, top, iconSize;
  Bounds text;
  int buttonWidth, buttonHeight, buttonGap, rowWidth, buttonTop;
  int clientWidth, clientHeight;
};

Layout Measure(const std::u16string& text, int buttonCount) {
  const Font font(DefaultGuiFont());
  const DialogUnits units(font.Handle());
  Layout l{};
  l.margin = units.X(kMargin);
  l.top = units.Y(kMargin);
  l.iconSize = GetSystemMetrics(SM_CXICON);
  const SIZE textSize = MeasureText(font.Handle(), text, units.X(kMaxTextWidth));
  // A text shorter than the icon is centred beside it.
  const int textTop = l.top + std::max(0, (l.iconSize - static_cast<int>(textSize.cy)) / 2);
  l.text = {l.margin + l.iconSize + l.margin, textTop, static_cast<int>(textSize.cx),
            static_cast<int>(textSize.cy)};
  l.buttonWidth = units.X(kButtonWidth);
  l.buttonHeight = units.Y(kButtonHeight);
  l.buttonGap = units.X(kButtonGap);
  l.rowWidth = buttonCount * l.buttonWidth + (buttonCount - 1) * l.buttonGap;
  l.buttonTop = l.top + std::max(l.text.height, l.iconSize) + units.Y(kMargin);
  l.clientWidth = std::max(l.text.left + l.text.width + l.margin, l.rowWidth + 2 * l.margin);
  l.clientHeight = l.buttonTop + l.buttonHeight + units.Y(kMargin);
  return l;
}

}  // namespace

Answer ShowMessageDialog(MessageKind kind, const std::u16string& text, const Buttons& buttons,
                         Answer defaultButton) {
  const Layout l = Measure(text, static_cast<int>(buttons.size()));
  Form form(DialogOptions(KindCaption(kind), l.clientWidth, l.clientHeight));
  Picture icon(form, {l.margin, l.top, l.iconSize, l.iconSize});
  icon.SetIcon(LoadIconW(nullptr, KindIcon(kind)));
  Label message(form, l.text, text);

  const Answer escape = EscapeAnswer(buttons);
  std::vector<std::unique_ptr<Button>> row;
  int left = (l.clientWidth - l.rowWidth) / 2;
  for (Answer answer : buttons) {
    auto& button = *row.emplace_back(std::make_unique<Button>(
        form, Bounds{left, l.buttonTop, l.buttonWidth, l.buttonHeight}, ButtonCaption(answer)));
    button.SetModalResult(static_cast<int>(answer));
    if (answer == defaultButton) {
      form.SetDefaultButton(button);
      form.SetActiveControl(button);
    }
    if (answer == escape) form.SetCancelButton(button);
    left += l.buttonWidth + l.buttonGap;
  }
  const int result = form.ShowModal();
  return result == Form::kModalClosed ? Answer::None : static_cast<Answer>(result);
}

}  // namespace gui
