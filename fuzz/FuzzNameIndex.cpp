// Builds an item array from names in the input, the way loading does (append an item, name
// it, sometimes rename it at once as a Unicode block does), plus renames of earlier items, and
// checks every lookup against a plain list searched from the end (A to Z without case). While
// only the newest item is ever renamed, as in loading, a name held by several items must find
// the highest of them; once an earlier item was renamed, any of them will do.
//
// Input: a sequence of commands, each an operation byte and a name ending at a zero byte.
#include <optional>
#include <vector>

#include "FuzzSupport.h"
#include "directory/ZipDirArray.h"

using namespace talu::zip;

namespace {

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// The reference: the indexed names in item order.
struct TReference {
  std::vector<std::u16string> names;
  bool renamedEarlier = false;  // an item other than the newest was renamed

  int Find(std::u16string_view name) const {
    for (std::size_t i = names.size(); i-- > 0;) {
      if (SameName(names[i], name)) return static_cast<int>(i);
    }
    return -1;
  }
};

// Input bytes become UTF-16 units; a high bit selects a unit past Latin-1, so that names also
// differ where only the case of non-ASCII letters would.
std::u16string NameFrom(std::string_view bytes) {
  std::u16string name;
  for (unsigned char b : bytes) name += static_cast<char16_t>(b < 0xF0 ? b : 0x100 + (b & 0x0F));
  return name;
}

void Fail(const char* what) {
  fprintf(stderr, "name index differs from the reference: %s\n", what);
  std::abort();
}

// Names item `index` in both and checks that both accept or both refuse (a name held by another
// item); false when refused, as loading then gives the array up.
bool Name(TZipDirArray& array, TReference& reference, std::vector<std::u16string>& current,
          int index, const std::u16string& name) {
  const std::u16string& old = current[static_cast<std::size_t>(index)];
  const bool fresh = index == static_cast<int>(reference.names.size());
  const int highest = reference.Find(old);
  bool mayAccept = highest < 0 || highest == index;
  bool mayRefuse = !mayAccept;
  if (reference.renamedEarlier) {
    mayAccept = !fresh || highest < 0;
    mayRefuse = false;
    for (std::size_t i = 0; i < reference.names.size(); ++i) {
      mayRefuse |= static_cast<int>(i) != index && SameName(reference.names[i], old);
    }
  }
  try {
    array.SetItemName(index, name);
  } catch (const EZipException& e) {
    if (!mayRefuse || e.NativeError() != kNeNameTakenInIndex) Fail("naming refused");
    return false;
  }
  if (!mayAccept) Fail("naming accepted");
  if (fresh) {
    reference.names.push_back(name);
  } else {
    reference.names[static_cast<std::size_t>(index)] = name;
  }
  current[static_cast<std::size_t>(index)] = name;
  return true;
}

void CheckLookup(const TZipDirArray& array, const TReference& reference, std::u16string_view name) {
  int itemNo = -2;
  const bool exists = array.FileExists(name, itemNo);
  const int expected = reference.Find(name);
  if (exists != (expected >= 0)) Fail("lookup");
  if (itemNo == expected) return;
  if (!reference.renamedEarlier || itemNo < 0 ||
      !SameName(reference.names[static_cast<std::size_t>(itemNo)], name)) {
    Fail("lookup");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::AsChars(data, size);
  TZipDirArray array;
  TReference reference;
  std::vector<std::u16string> current;  // each item's name as the array holds it
  while (!input.empty() && current.size() < 4096) {
    const auto operation = static_cast<unsigned char>(input[0]);
    const std::size_t end = input.find('\0', 1);
    const std::u16string name = NameFrom(input.substr(1, end - 1));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);

    bool named;
    if (operation % 4 == 3 && !current.empty()) {  // rename an earlier item
      const auto index = static_cast<int>(operation / 4 % current.size());
      reference.renamedEarlier |= index + 1 < static_cast<int>(current.size());
      named = Name(array, reference, current, index, name);
    } else {
      array.Append();
      current.emplace_back();
      const int index = static_cast<int>(current.size()) - 1;
      named = Name(array, reference, current, index, name) &&
              (operation % 4 != 2 || Name(array, reference, current, index, name + u"~"));
    }
    if (!named) return 0;
    CheckLookup(array, reference, name);
    CheckLookup(array, reference, NameFrom(input.substr(0, input.find('\0'))));
  }
  for (const std::u16string& name : current) CheckLookup(array, reference, name);
  return 0;
}
