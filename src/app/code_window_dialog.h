// CodeWindowDialog: the code window ("Code Window"), a tool window beside the main window that
// shows the source file of the picked element in a CCodeWnd, its path as the title. The main
// window asks it to open a file, mark lines, clear itself and change its font; its "E" button
// opens the file in the editor program of the settings.
#pragma once

#include "settings/app_settings.h"

#include <QWidget>

#include <cstddef>
#include <functional>
#include <string>

namespace qm::app {

class CCodeWnd;

class CodeWindowDialog : public QWidget {
    Q_OBJECT

public:
    // A file larger than this is not shown (the window keeps its text).
    static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

    // `settings` gives the code font, the edit button's switch and the editor; `showMessage`
    // shows a failure to start the editor.
    CodeWindowDialog(settings::AppSettings& settings, std::function<void(const QString&)> showMessage,
                     QWidget* parent = nullptr);

    CCodeWnd* codeText() const noexcept { return m_text; }
    const std::string& currentPath() const noexcept { return m_path; }

    // Shows the file at `path`: nothing (false) when it is the file already shown. Otherwise the
    // path becomes the title, and the file's bytes, carriage returns removed, become the text;
    // a file that cannot be read or is empty keeps the old text (false).
    bool openFile(const std::string& path);
    // Marks lines `first` to `last` (1-based); see CodeView::selectLines.
    void selectLines(int first, int last, bool keepView);
    // Empties the text; `withTitle` empties the title too (a new project).
    void clear(bool withTitle);
    // The code font (face, size in tenths of a point), kept in the settings.
    void setCodeFont(const std::string& face, int tenthsOfPoint);
    // The font and the edit button from the settings.
    void applySettings();
    // Starts the editor on the shown file; the message of a failure goes to showMessage.
    void launchEditor();

private:
    settings::AppSettings& m_settings;
    std::function<void(const QString&)> m_showMessage;
    CCodeWnd* m_text;
    std::string m_path;
};

}  // namespace qm::app
