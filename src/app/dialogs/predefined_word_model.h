// PredefinedWordModel: one group of the Predefined Word dialog as a two-column table — the name
// and the value ("%ld") of each row — read from the dialog's PredefinedWordEditor, so that a
// list of a million words costs no widget per row.
#pragma once

#include "session/predefined_word_editor.h"

#include <QAbstractTableModel>

namespace qm::app {

class PredefinedWordModel : public QAbstractTableModel {
    Q_OBJECT

public:
    PredefinedWordModel(const session::PredefinedWordEditor& editor, session::WordGroup group,
                        QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The editor's rows changed: every view shows them again.
    void refresh();

private:
    const session::PredefinedWordEditor& m_editor;
    session::WordGroup m_group;
};

}  // namespace qm::app
