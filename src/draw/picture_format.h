// The picture file types that drawings are written to, told by a file name's ending.
#pragma once

#include <filesystem>

namespace qm::draw {

enum class PictureFormat { Png, Svg, Pdf };

// The format named by the ending of `path` (".png", ".svg", ".pdf", in any letter case).
// Throws Error "<path> : unknown picture type (use .png, .svg or .pdf)" for any other ending.
PictureFormat pictureFormatFor(const std::filesystem::path& path);

}  // namespace qm::draw
