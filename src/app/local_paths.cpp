#include "app/local_paths.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace qm::app {

std::vector<std::string> toLocalPaths(const QStringList& names)
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        paths.push_back(QFile::encodeName(name).toStdString());
    }
    return paths;
}

QStringList droppedLocalFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

}  // namespace qm::app
