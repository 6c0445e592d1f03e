// An indexed, unsorted list of strings, as the component's mask lists and the hashed name list
// use it. Without CaseSensitive, comparisons ignore the case of 'A' to 'Z'.
#pragma once

#include <string>
#include <vector>

namespace talu::zip {

class TStringList {
 public:
  virtual ~TStringList() = default;

  virtual int Add(const std::u16string& s);
  virtual void Delete(int index);
  virtual void Clear();
  virtual int IndexOf(const std::u16string& s);
  // Index of the first line "name=value" whose name part equals `name`, or -1.
  virtual int IndexOfName(const std::u16string& name);

  int Count() const { return static_cast<int>(lines_.size()); }
  const std::u16string& Strings(int index) const {
    return lines_.at(static_cast<std::size_t>(index));
  }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }
  void Assign(const TStringList& source) {
    lines_ = source.lines_;
    Changed();
  }

 protected:
  // The form of a line used for comparing: lower-cased unless CaseSensitive.
  std::u16string Key(const std::u16string& s) const;
  void SetLine(int index, std::u16string value) {
    lines_.at(static_cast<std::size_t>(index)) = std::move(value);
  }
  // Called after lines were replaced wholesale.
  virtual void Changed() {}

 private:
  std::vector<std::u16string> lines_;
  bool caseSensitive_ = false;
};

}  // namespace talu::zip
