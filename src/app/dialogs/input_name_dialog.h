// CDialogGetString: the "Input Name" dialog — one edit field with OK and Cancel. OK with an
// empty field shows the message "Input Name" and keeps the dialog open; otherwise the text is
// the dialog's result. The theme dialog asks for a new theme's name with it.
#pragma once

#include <QDialog>

class QLineEdit;

namespace qm::app {

class UserPrompts;

class CDialogGetString : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kEmptyMessage = "Input Name";

    // `prompts` shows the message of an empty name; it must outlive the dialog.
    explicit CDialogGetString(UserPrompts& prompts, QWidget* parent = nullptr);

    QLineEdit* edit() const noexcept { return m_edit; }
    QString text() const;

    void accept() override;

private:
    UserPrompts& m_prompts;
    QLineEdit* m_edit;
};

}  // namespace qm::app
