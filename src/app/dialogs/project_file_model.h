// ProjectFileModel: the Project Information dialog's rows as a list model — each project file
// with its selection flag as a check box — read from ProjectInfo, so that a project of 100,000
// files costs no widget per row and opens at once.
#pragma once

#include "session/project_info.h"

#include <QAbstractListModel>

namespace qm::app {

class ProjectFileModel : public QAbstractListModel {
    Q_OBJECT

public:
    ProjectFileModel(session::ProjectInfo& info, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Full paths (true) or file names only.
    void setFullPath(bool full);
    bool fullPath() const noexcept { return m_fullPath; }
    // The files or their flags changed: the views show them again.
    void refresh();

private:
    session::ProjectInfo& m_info;
    bool m_fullPath = false;
};

}  // namespace qm::app
