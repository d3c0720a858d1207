// Writing a drawing to a picture file: PNG, SVG or PDF, chosen by the file's ending.
#pragma once

#include "draw/canvas.h"
#include "draw/picture_format.h"

#include <filesystem>
#include <functional>
#include <string>

namespace qm::draw {

// Draws a picture on the canvas it is given, origin at the picture's top left corner.
using DrawFunction = std::function<void(Canvas&)>;

// The bytes of a picture of `size` pixels, filled with `background` and then drawn by `draw`.
// PDF and SVG pages measure 96 pixels to the inch. Throws Error when the size is not positive
// or too large to render; exceptions from `draw` pass through. Needs a QGuiApplication (with
// QT_QPA_PLATFORM=offscreen where there is no display).
std::string renderPicture(PictureFormat format, Size size, const DrawFunction& draw, Rgb background = kWhite);

// Renders the picture in the format of `path`'s ending and writes it atomically: the file holds
// either its old content or the whole new picture. Throws Error for an unknown ending or size,
// and an error "<path> : cannot write file" when the file cannot be written.
void exportPicture(const std::filesystem::path& path, Size size, const DrawFunction& draw, Rgb background = kWhite);

}  // namespace qm::draw
