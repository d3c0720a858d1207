#include "app/dialogs/predefined_word_model.h"

namespace qm::app {

PredefinedWordModel::PredefinedWordModel(const session::PredefinedWordEditor& editor, session::WordGroup group,
                                         QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_group(group)
{
}

int PredefinedWordModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_editor.rows(m_group).size());
}

int PredefinedWordModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant PredefinedWordModel::data(const QModelIndex& index, int role) const
{
    const frontend::PredefinedWordList& rows = m_editor.rows(m_group);
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(rows.size())) {
        return QVariant();
    }
    const frontend::PredefinedWord& word = rows[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) {
        return QString::fromUtf8(word.name.data(), static_cast<qsizetype>(word.name.size()));
    }
    return QString::number(word.value);
}

QVariant PredefinedWordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QVariant();
    }
    return section == 0 ? QStringLiteral("Predefined Word") : QStringLiteral("Value");
}

void PredefinedWordModel::refresh()
{
    beginResetModel();
    endResetModel();
}

}  // namespace qm::app
