// Fonts and pictures for the drawing commands. Measuring with the installed fonts and writing
// PNG, SVG or PDF files need Qt, which a module loaded on first use brings (picture_module.h) and
// runs on its offscreen platform; a build without the desktop program has neither and says so.
// Fixed text extents (--metrics fixed:W,H) need no Qt.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm::cli {

// Whether this build can measure with fonts and write pictures.
bool picturesAvailable();

// The largest character width and line height that --metrics accepts.
inline constexpr int kMaxFixedMetric = 1000;

// Reads "fixed:W,H" (two decimal integers from 0 to kMaxFixedMetric); nothing for any other text.
std::optional<draw::FixedTextMetrics> parseFixedMetrics(std::string_view text);

// Text extents of the installed fonts. Starts the offscreen window system on first use. Throws
// model::Error when this build has no font support or its module cannot be loaded.
const draw::TextMetrics& fontMetrics();

// Throws draw::Error when `path` does not end in .png, .svg or .pdf, and model::Error when this
// build cannot write pictures; checked before the work that the picture would show.
void checkPicturePath(const std::string& path);

// Checks `-o OUT` before any work: the build must be able to write pictures and OUT must end in
// .png, .svg or .pdf. Returns kExitSuccess, or the exit status after writing the message (an
// unknown ending throws as checkPicturePath does).
int checkOutputOption(const std::string& output);

// Checks `--metrics` and `-o` before any work. `metrics` "fixed:W,H" fills `fixed`; an empty
// text means the installed fonts, which this build must have. Returns kExitSuccess, or the exit
// status after writing the message.
int checkDrawingOptions(std::string_view metrics, const std::string& output, std::optional<draw::FixedTextMetrics>& fixed);

// Draws a picture of `size` pixels (at least 1 x 1) filled with `background` and writes it to
// `path` as PNG, SVG or PDF by its ending. Throws model::Error when this build cannot write
// pictures, draw::Error for an unknown ending or a file that cannot be written.
void writePicture(const std::string& path, draw::Size size, const std::function<void(draw::Canvas&)>& draw,
                  draw::Rgb background);

}  // namespace qm::cli
