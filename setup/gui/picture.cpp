#include "gui/picture.h"

#include "gui/container.h"
#include "gui/text.h"

namespace gui {

Picture::Picture(Container& parent, const Bounds& bounds)
    : Control(parent, L"Static", SS_OWNERDRAW, bounds, u"") {}

Picture::~Picture() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool Picture::LoadBitmapResource(const wchar_t* name) {
  return SetBitmap(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

bool Picture::LoadBitmapFile(const std::u16string& path) {
  return SetBitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, Wide(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

bool Picture::SetBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return false;
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  icon_ = nullptr;
  InvalidateRect(Handle(), nullptr, TRUE);
  return true;
}

void Picture::SetIcon(HICON icon) {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  icon_ = icon;
  InvalidateRect(Handle(), nullptr, TRUE);
}

SIZE Picture::ImageSize() const {
  if (bitmap_ != nullptr) {
    BITMAP info{};
    GetObjectW(bitmap_, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
  }
  if (icon_ != nullptr) return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  return {0, 0};
}

void Picture::OnDrawItem(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, Parent().BackgroundBrush());
  const SIZE target =
      stretch_ ? SIZE{item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top}
               : ImageSize();
  if (bitmap_ != nullptr) DrawBitmap(item.hDC, target);
  if (icon_ != nullptr)
    DrawIconEx(item.hDC, 0, 0, icon_, target.cx, target.cy, 0, nullptr, DI_NORMAL);
}

void Picture::DrawBitmap(HDC dc, SIZE target) const {
  const SIZE source = ImageSize();
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap_);
  if (transparent_) {
    DrawKeyed(dc, target, memory, source);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, target.cx, target.cy, memory, 0, 0, source.cx, source.cy, SRCCOPY);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

// TransparentBlt stretches through a scratch bitmap of its own, which some platforms stretch by
// ANDing the rows they drop into the rows they keep: the artwork then shows dark stripes. So the
// bitmap is stretched here first, by whole pixels so that the key colour stays exact, and keyed
// without stretching.
void Picture::DrawKeyed(HDC dc, SIZE target, HDC memory, SIZE source) const {
  const COLORREF key = GetPixel(memory, 0, source.cy - 1);
  HDC stretched = CreateCompatibleDC(dc);
  HBITMAP canvas = CreateCompatibleBitmap(dc, target.cx, target.cy);
  HGDIOBJ old = SelectObject(stretched, canvas);
  SetStretchBltMode(stretched, COLORONCOLOR);
  StretchBlt(stretched, 0, 0, target.cx, target.cy, memory, 0, 0, source.cx, source.cy, SRCCOPY);
  TransparentBlt(dc, 0, 0, target.cx, target.cy, stretched, 0, 0, target.cx, target.cy, key);
  SelectObject(stretched, old);
  DeleteObject(canvas);
  DeleteDC(stretched);
}

}  // namespace gui
