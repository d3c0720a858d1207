#include "app/help_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdlib>
#include <system_error>

namespace qm::app {

namespace fs = std::filesystem;

fs::path dataDirectory()
{
    if (const char* env = std::getenv("QUILLMARSH_DATA_DIR"); env && *env) {
        return fs::path(env);
    }
    std::error_code ec;
    if (QCoreApplication::instance()) {
        const fs::path installed =
            fs::path(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()) / ".." / "share" / "quillmarsh";
        if (fs::is_directory(installed, ec)) {
            return installed.lexically_normal();
        }
    }
    return fs::path(QM_SOURCE_RESOURCES_DIR);
}

HelpWindow::HelpWindow(const QString& name, const fs::path& page, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(name);
    setAccessibleName(name);
    setWindowTitle(name);
    resize(760, 640);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    m_browser->setAccessibleName(name + QStringLiteral(" Page"));
    column->addWidget(m_browser);
    const QString file = QFile::decodeName(page.c_str());
    if (QFile::exists(file)) {
        m_browser->setSource(QUrl::fromLocalFile(file));
    } else {
        m_browser->setPlainText(QStringLiteral("The page %1 is missing from this installation.").arg(file));
    }
}

void HelpWindow::addStartupCheck(bool checked, std::function<void(bool)> changed)
{
    m_startupCheck = new QCheckBox(QStringLiteral("show tutorial on startup"), this);
    m_startupCheck->setChecked(checked);
    connect(m_startupCheck, &QCheckBox::toggled, this, [changed = std::move(changed)](bool on) { changed(on); });
    layout()->addWidget(m_startupCheck);
}

}  // namespace qm::app
