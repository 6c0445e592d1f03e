// Folder links (junctions and symbolic links to folders) met while deleting a tree. Their
// content lives elsewhere: deleting code removes the link itself and never walks into it.
#pragma once

#include <string>

namespace talu {

// Removes the link at `path` itself. Only a reparse point that the file system confirms to be
// a link (a name surrogate) is removed; anything else is left in place and gives false.
bool RemoveFolderLink(const std::u16string& path);

// Removes every folder link among the entries of `folder` (ending in "\") that match `mask`,
// and every link in the trees of the matching real folders. True when no link is left, so the
// trees can be deleted by code that would follow links.
bool RemoveFolderLinks(const std::u16string& folder, const std::u16string& mask);

}  // namespace talu
