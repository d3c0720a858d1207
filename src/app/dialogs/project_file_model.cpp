#include "app/dialogs/project_file_model.h"

namespace qm::app {

ProjectFileModel::ProjectFileModel(session::ProjectInfo& info, QObject* parent)
    : QAbstractListModel(parent), m_info(info)
{
}

int ProjectFileModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_info.rowCount());
}

QVariant ProjectFileModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const std::string text = m_info.rowText(row, m_fullPath);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::ToolTipRole: {
        const std::string text = m_info.rowText(row, true);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::CheckStateRole:
        return m_info.isChecked(row) ? Qt::Checked : Qt::Unchecked;
    default:
        return QVariant();
    }
}

bool ProjectFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    m_info.setChecked(static_cast<std::size_t>(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ProjectFileModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

void ProjectFileModel::setFullPath(bool full)
{
    if (full == m_fullPath) return;
    m_fullPath = full;
    refresh();
}

void ProjectFileModel::refresh()
{
    beginResetModel();
    endResetModel();
}

}  // namespace qm::app
