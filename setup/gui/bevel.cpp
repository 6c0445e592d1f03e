#include "gui/bevel.h"

#include "gui/container.h"

namespace gui {

void Bevel::OnDrawItem(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, Parent().BackgroundBrush());
  RECT line = item.rcItem;
  DrawEdge(item.hDC, &line, EDGE_ETCHED, BF_TOP);
}

}  // namespace gui
