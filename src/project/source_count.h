// How many C and C++ files a list of inputs names, counted only as far as a caller needs to know.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qm::project {

// The number of sources and headers among `inputs` (files by their ending; folders searched with
// their subfolders, without following links to folders), or `limit` as soon as that many are
// found. A project file or workspace counts as `limit`: what it names is not read here. Paths that
// do not exist count as nothing.
std::size_t countSourceFiles(const std::vector<std::string>& inputs, std::size_t limit);

}  // namespace qm::project
