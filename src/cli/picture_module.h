// The interface of the module that measures text with the installed fonts and writes pictures
// for quillmarsh-cli. Both need Qt, which the module links and the program does not: commands
// that draw nothing, or draw with fixed text extents and write no picture, start without Qt and
// the libraries it loads (about ten megabytes of memory, and the time to load them).
//
// The program opens the module on first use and asks it for its PictureModule (by the C name
// kPictureModuleEntry); exceptions thrown inside the module reach the caller as usual.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <functional>
#include <string>

namespace qm::cli {

struct PictureModule {
    // kPictureModuleVersion of the module's build: a module of another build is not used.
    int version = 0;
    // Text extents of the installed fonts; starts the offscreen window system on first use.
    const draw::TextMetrics& (*fontMetrics)() = nullptr;
    // Draws a picture of `size` pixels (at least 1 x 1) filled with `background` and writes it to
    // `path` as PNG, SVG or PDF by its ending. Throws draw::Error for an unknown ending or a file
    // that cannot be written.
    void (*writePicture)(const std::string& path, draw::Size size, const std::function<void(draw::Canvas&)>& draw,
                         draw::Rgb background) = nullptr;
};

// Changes whenever PictureModule or the types it passes change.
inline constexpr int kPictureModuleVersion = 1;

// The module's file name, looked for beside the program and in ../lib/quillmarsh from its folder.
inline constexpr const char* kPictureModuleFile = "quillmarsh-cli-qt.so";
// The module's entry point: extern "C" const PictureModule* quillmarshPictureModule().
inline constexpr const char* kPictureModuleEntry = "quillmarshPictureModule";

}  // namespace qm::cli
