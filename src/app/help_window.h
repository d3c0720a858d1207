// HelpWindow: a top-level window that shows one of the bundled HTML pages — the help ("Help") or
// the tutorial ("Tutorial", with the check box "show tutorial on startup" bound to the "Show
// Tutorial" setting). Links between the bundled pages are followed inside the window; links to
// anything else open in the desktop's browser.
#pragma once

#include <QWidget>

#include <filesystem>
#include <functional>

class QCheckBox;
class QTextBrowser;

namespace qm::app {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // `name` is the window's object and accessible name and its title; `page` the HTML file.
    HelpWindow(const QString& name, const std::filesystem::path& page, QWidget* parent = nullptr);

    // Adds the check box "show tutorial on startup", checked as `checked`; `changed` hears each
    // change.
    void addStartupCheck(bool checked, std::function<void(bool)> changed);

    QTextBrowser* browser() const noexcept { return m_browser; }
    QCheckBox* startupCheck() const noexcept { return m_startupCheck; }

private:
    QTextBrowser* m_browser;
    QCheckBox* m_startupCheck = nullptr;
};

// The folder of the program's read-only data (help pages, themes shipped with it): the
// environment variable QUILLMARSH_DATA_DIR when set, else share/quillmarsh beside the program's
// folder when there, else the source tree's resources folder.
std::filesystem::path dataDirectory();

}  // namespace qm::app
