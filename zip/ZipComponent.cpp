#include "ZipComponent.h"

#include <algorithm>

namespace talu::zip {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_ != nullptr) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
  // Destroying an owned component takes it out of this list, so take them from the back.
  while (!owned_.empty()) delete owned_.back();
  if (owner_ != nullptr) {
    auto& siblings = owner_->owned_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

}  // namespace talu::zip
