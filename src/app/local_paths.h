// File names between Qt and the analysis: Qt's strings to the file system's bytes, and the local
// files of a drop.
#pragma once

#include <QStringList>

#include <string>
#include <vector>

class QMimeData;

namespace qm::app {

// Each name in the file system's encoding, as the project and the engine take paths.
std::vector<std::string> toLocalPaths(const QStringList& names);

// The local files of dropped data, in the order they were dropped; other links are passed over.
QStringList droppedLocalFiles(const QMimeData& data);

}  // namespace qm::app
