#include "draw/picture_format.h"

#include "draw/draw_types.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace qm::draw {

PictureFormat pictureFormatFor(const std::filesystem::path& path)
{
    std::string ending = path.extension().string();
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending == ".png") return PictureFormat::Png;
    if (ending == ".svg") return PictureFormat::Svg;
    if (ending == ".pdf") return PictureFormat::Pdf;
    throw Error(path.string() + " : unknown picture type (use .png, .svg or .pdf)");
}

}  // namespace qm::draw
