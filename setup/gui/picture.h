// A picture: a bitmap (from the program's resources or a file) or an icon, drawn at its own
// size or stretched to the picture's place; a transparent bitmap lets the background show
// where it has the colour of its bottom-left pixel.
#pragma once

#include "gui/window.h"

namespace gui {

class Picture : public Control {
 public:
  Picture(Container& parent, const Bounds& bounds);
  ~Picture() override;

  bool LoadBitmapResource(const wchar_t* name);
  bool LoadBitmapFile(const std::u16string& path);
  // A shared icon (LoadIcon, LR_SHARED): the picture does not destroy it.
  void SetIcon(HICON icon);
  void SetStretch(bool stretch) { stretch_ = stretch; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }
  bool HasImage() const { return bitmap_ != nullptr || icon_ != nullptr; }
  SIZE ImageSize() const;

  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  bool SetBitmap(HBITMAP bitmap);
  void DrawBitmap(HDC dc, SIZE target) const;
  // Draws the bitmap selected into `memory` stretched to `target`, its key colour left out.
  void DrawKeyed(HDC dc, SIZE target, HDC memory, SIZE source) const;

  HBITMAP bitmap_ = nullptr;
  HICON icon_ = nullptr;
  bool stretch_ = false;
  bool transparent_ = false;
};

}  // namespace gui
