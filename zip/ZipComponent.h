// The component base of the engine's classes: a name, and an owner that destroys the
// components it owns when it goes.
#pragma once

#include <string>
#include <vector>

namespace talu::zip {

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::u16string& Name() const { return name_; }
  void SetName(std::u16string name) { name_ = std::move(name); }
  TComponent* Owner() const { return owner_; }

 private:
  TComponent* owner_;
  std::u16string name_;
  std::vector<TComponent*> owned_;
};

}  // namespace talu::zip
