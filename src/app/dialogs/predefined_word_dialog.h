// CPredefinedWordDialog: "Predefined Word". Two groups, "Global Defined" (the global predefined
// words) and "This Project Defined" (the project's defines), each a two-column list with a
// "Defined Word" and a "Value" field, "Add" and "Remove"; a double click on a row edits it in
// the "Set Predefined Word" dialog. OK stores both lists (PredefinedWordEditor).
#pragma once

#include "session/predefined_word_editor.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QTreeView;

namespace qm::app {

class PredefinedWordModel;
class UserPrompts;

class CPredefinedWordDialog : public QDialog {
    Q_OBJECT

public:
    // The lists' columns, in pixels.
    static constexpr int kNameColumnWidth = 340;
    static constexpr int kValueColumnWidth = 164;

    // `globalWords` and `projectDefines` are written on OK; `prompts` shows the refusals. All
    // must outlive the dialog.
    CPredefinedWordDialog(frontend::PredefinedWordList& globalWords, frontend::PredefinedWordList& projectDefines,
                          UserPrompts& prompts, QWidget* parent = nullptr);

    // The controls of one group.
    struct Group {
        QTreeView* list = nullptr;
        PredefinedWordModel* model = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* value = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
    };
    const Group& group(session::WordGroup which) const { return m_groups[static_cast<std::size_t>(which)]; }
    QPushButton* defaultButton() const noexcept { return m_default; }
    // Whether OK changed the project's defines (the project is then modified).
    bool projectDefinesChanged() const noexcept { return m_projectChanged; }

    // A double click on `row` of a group: the "Set Predefined Word" dialog edits it.
    void editRow(session::WordGroup which, int row);

    void accept() override;

protected:
    // Enter in a name or value field adds the word; it does not close the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeGroup(session::WordGroup which, const QString& title);
    void add(session::WordGroup which);
    void removeHighlighted(session::WordGroup which);
    void refill();

    session::PredefinedWordEditor m_editor;
    UserPrompts& m_prompts;
    std::array<Group, 2> m_groups;
    QPushButton* m_default = nullptr;
    bool m_projectChanged = false;
};

// "Set Predefined Word": the name and value of one row. OK refuses what "Add" refuses, with the
// same messages, and stays open then.
class CSetPredefinedWordDialog : public QDialog {
    Q_OBJECT

public:
    CSetPredefinedWordDialog(const QString& name, const QString& value, UserPrompts& prompts,
                             QWidget* parent = nullptr);

    QLineEdit* name() const noexcept { return m_name; }
    QLineEdit* value() const noexcept { return m_value; }

    void accept() override;

private:
    UserPrompts& m_prompts;
    QLineEdit* m_name;
    QLineEdit* m_value;
};

}  // namespace qm::app
