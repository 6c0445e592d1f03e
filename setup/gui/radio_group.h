// A framed group of radio buttons arranged in columns, one of them selected, with an optional
// hint shown as a tooltip over the whole group.
#pragma once

#include <string>
#include <vector>

#include "gui/container.h"

namespace gui {

class RadioGroup : public Container {
 public:
  RadioGroup(Container& parent, const Bounds& bounds, const std::u16string& caption,
             const std::vector<std::u16string>& items, int columns);
  ~RadioGroup() override;

  // The selected item, or -1 when none is.
  int ItemIndex() const;
  void SetItemIndex(int index);
  int Count() const { return static_cast<int>(items_.size()); }
  HWND ItemHandle(int index) const { return items_.at(static_cast<size_t>(index)); }

  void SetCaption(const std::u16string& text) override;
  // Greys the frame and the items as well.
  void SetEnabled(bool enabled) override;
  // Lines of the hint are separated by "\r\n".
  void SetHint(const std::u16string& hint);
  const std::u16string& Hint() const { return hint_; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND CreatePart(DWORD style, const std::u16string& text, const Bounds& bounds);
  void ArrangeItems(const std::vector<std::u16string>& items, int columns);
  // Tab reaches the group at its selected item.
  void MoveTabStopToSelection();

  HWND frame_;
  std::vector<HWND> items_;
  HWND tooltip_ = nullptr;
  std::u16string hint_;
};

}  // namespace gui
