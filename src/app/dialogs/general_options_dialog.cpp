#include "app/dialogs/general_options_dialog.h"

#include "app/dialogs/font_families.h"
#include "app/user_prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace qm::app {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Programs have no file name ending here: every file is offered.
const QString kProgramFilter = QStringLiteral("Execute (*)");

}  // namespace

CGeneralOptionsDialog::CGeneralOptionsDialog(settings::SettingValues& values, session::GeneralOptionsHost& host,
                                             UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_options(values, host), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Project Option"));
    setAccessibleName(QStringLiteral("Project Option"));
    setWindowTitle(QStringLiteral("Project Option"));
    buildControls();
    showOptions();
}

void CGeneralOptionsDialog::buildControls()
{
    auto* column = new QVBoxLayout(this);

    auto* analysis = new QGroupBox(QStringLiteral("Analysis and diagrams"), this);
    auto* analysisColumn = new QVBoxLayout(analysis);
    m_skipSameFile = new QCheckBox(QStringLiteral("Skip preprocess same file"), analysis);
    m_autoResize = new QCheckBox(QStringLiteral("Auto resize contents when window resized"), analysis);
    m_alwaysShowDetail = new QCheckBox(QStringLiteral("Always show detail diagram "), analysis);
    m_fixedSize = new QCheckBox(QStringLiteral("Fixed size arrangement"), analysis);
    for (QCheckBox* box : {m_skipSameFile, m_autoResize, m_alwaysShowDetail, m_fixedSize}) {
        analysisColumn->addWidget(box);
    }
    auto* sortRow = new QHBoxLayout;
    m_sortList = new QComboBox(analysis);
    m_sortList->addItems({QStringLiteral("Size"), QStringLiteral("Name")});
    m_sortList->setAccessibleName(QStringLiteral("sort type by"));
    auto* sortLabel = new QLabel(QStringLiteral("sort type by"), analysis);
    sortLabel->setBuddy(m_sortList);
    sortRow->addWidget(sortLabel);
    sortRow->addWidget(m_sortList);
    sortRow->addStretch(1);
    analysisColumn->addLayout(sortRow);
    column->addWidget(analysis);

    auto* code = new QGroupBox(QStringLiteral("Code window"), this);
    auto* codeForm = new QFormLayout(code);
    m_fontName = new QComboBox(code);
    m_fontName->setModel(fontFamilyModel());
    m_fontName->setAccessibleName(QStringLiteral("Font Name"));
    m_fontName->setMaxVisibleItems(20);
    m_fontSize = new QComboBox(code);
    for (int size = session::GeneralOptions::kMinFontSize; size <= session::GeneralOptions::kMaxFontSize; ++size) {
        m_fontSize->addItem(QString::number(size));
    }
    m_fontSize->setAccessibleName(QStringLiteral("Font Size"));
    codeForm->addRow(QStringLiteral("Font Name"), m_fontName);
    codeForm->addRow(QStringLiteral("Font Size"), m_fontSize);
    m_showEditButton = new QCheckBox(QStringLiteral("Show edit button (use below program)"), code);
    codeForm->addRow(m_showEditButton);
    auto* programRow = new QHBoxLayout;
    m_editProgram = new QLineEdit(code);
    m_editProgram->setAccessibleName(QStringLiteral("Code Edit Program"));
    m_browse = new QPushButton(QStringLiteral("Browse..."), code);
    programRow->addWidget(m_editProgram, 1);
    programRow->addWidget(m_browse);
    codeForm->addRow(programRow);
    column->addWidget(code);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_default = buttons->addButton(QStringLiteral("Default"), QDialogButtonBox::ResetRole);
    column->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGeneralOptionsDialog::reject);
    connect(m_default, &QPushButton::clicked, this, [this] {
        m_options.restoreDefaults();
        showOptions();
    });
    connect(m_browse, &QPushButton::clicked, this, &CGeneralOptionsDialog::browse);

    // Each control hands its change over at once; showOptions() sets them without that.
    connect(m_skipSameFile, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing) m_options.setSkipPreprocessSameFile(on);
    });
    connect(m_autoResize, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing) m_options.setAutoResize(on);
    });
    connect(m_alwaysShowDetail, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing) m_options.setAlwaysShowDetail(on);
    });
    connect(m_fixedSize, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing) m_options.setFixedSize(on);
    });
    connect(m_sortList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) m_options.setSortIndex(index);
    });
    connect(m_fontName, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (!m_showing && !name.isEmpty()) m_options.setCodeFontName(name.toStdString());
    });
    connect(m_fontSize, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) m_options.setCodeFontSizeIndex(index);
    });
    connect(m_showEditButton, &QCheckBox::toggled, this, [this](bool on) {
        m_editProgram->setEnabled(on);
        m_browse->setEnabled(on);
        if (!m_showing) m_options.setEditButtonShown(on);
    });
    connect(m_editProgram, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_showing) m_options.setEditProgram(text.toStdString());
    });
}

void CGeneralOptionsDialog::showOptions()
{
    m_showing = true;
    m_skipSameFile->setChecked(m_options.skipPreprocessSameFile());
    m_autoResize->setChecked(m_options.autoResize());
    m_alwaysShowDetail->setChecked(m_options.alwaysShowDetail());
    m_fixedSize->setChecked(m_options.fixedSize());
    m_sortList->setCurrentIndex(m_options.sortIndex());
    m_fontName->setCurrentIndex(fontFamilyRow(fromUtf8(m_options.codeFontName())));
    m_fontSize->setCurrentIndex(m_options.codeFontSizeIndex());
    m_showEditButton->setChecked(m_options.editButtonShown());
    m_editProgram->setEnabled(m_options.editButtonShown());
    m_browse->setEnabled(m_options.editButtonShown());
    m_editProgram->setText(fromUtf8(m_options.editProgram()));
    m_showing = false;
}

void CGeneralOptionsDialog::browse()
{
    const QFileInfo current(m_editProgram->text());
    const QString start = current.isAbsolute() ? current.absolutePath() : QStringLiteral("/usr/bin");
    const QString program = m_prompts.openFileName(QStringLiteral("Code Edit Program"), start, kProgramFilter);
    if (!program.isEmpty()) {
        m_editProgram->setText(program);  // handed over as a typed text is
    }
}

void CGeneralOptionsDialog::reject()
{
    m_options.cancel();
    QDialog::reject();
}

}  // namespace qm::app
