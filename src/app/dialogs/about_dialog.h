// CAboutDialog: "About Quillmarsh" — what the program is, its version, and the libraries it is
// built with (with the versions it was built against and runs with).
#pragma once

#include <QDialog>

namespace qm::app {

class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    // The text the dialog shows, as plain text.
    static QString text();
};

}  // namespace qm::app
