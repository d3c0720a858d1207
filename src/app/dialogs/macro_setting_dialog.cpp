#include "app/dialogs/macro_setting_dialog.h"

#include "app/dialogs/color_combo_box.h"
#include "app/dialogs/font_families.h"
#include "app/dialogs/macro_preview_view.h"
#include "app/dialogs/progress_dialog.h"
#include "app/help_window.h"
#include "macro/theme_folder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace qm::app {

namespace {

using session::AccentRow;
using session::ColorPart;

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char* const kShadingNames[] = {"None", "Down Darken", "Right Darken", "Down Brighten", "Right Brighten"};
const char* const kTargetNames[] = {"Nothing", "Font", "Border", "Background"};
const char* const kAccentCaptions[] = {"Method(Function) With Content", "public Method(or Global Function)",
                                       "protected Method", "private Method"};
const char* const kColorColumns[] = {"Font Color", "Border Color", "Background Color"};

}  // namespace

ThemeDialogPaths ThemeDialogPaths::standard()
{
    return {macro::themeFolder(), dataDirectory() / "Color", dataDirectory() / "preview.dat"};
}

CDialogMacroSetting::CDialogMacroSetting(const macro::Theme& current, const settings::SettingValues& values,
                                         UserPrompts& prompts, const ThemeDialogPaths& paths, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_messages(prompts)
{
    setObjectName(QString::fromLatin1(kTitle));
    setAccessibleName(QString::fromLatin1(kTitle));
    setWindowTitle(QString::fromLatin1(kCaption));

    // The lists take a moment to fill: a progress dialog says so meanwhile.
    CDialogProgress progress(parent);
    progress.show();
    const auto step = [&](int position) {
        progress.setPosition(position);
        m_loadingSteps.push_back(position);
    };
    step(10);
    m_editor = std::make_unique<session::ThemeEditor>(current, paths.userThemes, paths.shippedThemes, *this,
                                                      m_messages);

    auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), this);
    auto* previewLayout = new QVBoxLayout(previewGroup);
    m_preview = new CMacroPreviewView(m_editor->working(), values, previewGroup);
    previewLayout->addWidget(m_preview);
    previewLayout->addStretch(1);
    step(20);
    fontFamilyModel();  // the installed families, read once
    step(30);
    QGroupBox* global = buildGlobalGroup();
    QGroupBox* theme = buildThemeGroup();
    step(40);
    QGroupBox* elements = buildElementGroup();
    step(50);
    showWorkingCopy();
    step(60);
    refillThemeList();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(global, 1);
    top->addWidget(theme);
    auto* right = new QVBoxLayout;
    right->addLayout(top);
    right->addWidget(elements);
    right->addStretch(1);
    right->addWidget(buttons);
    auto* columns = new QHBoxLayout(this);
    columns->addWidget(previewGroup);
    columns->addLayout(right, 1);
    step(80);
    m_preview->analyzeSample(paths.sample);
    step(100);
    progress.close();
}

CDialogMacroSetting::~CDialogMacroSetting()
{
    // No control hands anything to the editor while the dialog is taken apart, and the preview,
    // which reads the editor's working copy, goes first.
    m_showing = true;
    delete m_preview;
    m_preview = nullptr;
}

ColorComboBox* CDialogMacroSetting::makeColorList(QWidget* parent, const QString& name)
{
    auto* list = new ColorComboBox(m_prompts, parent);
    list->setObjectName(name);
    list->setAccessibleName(name);
    return list;
}

QGroupBox* CDialogMacroSetting::buildGlobalGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Global Fearure"), this);
    auto* grid = new QGridLayout(group);

    m_shading = new QComboBox(group);
    for (const char* name : kShadingNames) m_shading->addItem(QString::fromLatin1(name));
    m_shading->setAccessibleName(QStringLiteral("Shading Type"));
    m_unitSpace = new QComboBox(group);
    for (int space = 0; space <= macro::kMaxUnitSpace; ++space) m_unitSpace->addItem(QString::number(space));
    m_unitSpace->setAccessibleName(QStringLiteral("Unit Space"));
    m_background = makeColorList(group, QStringLiteral("Background Color"));

    grid->addWidget(new QLabel(QStringLiteral("Shading Type"), group), 0, 0);
    grid->addWidget(m_shading, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Unit Space"), group), 0, 2);
    grid->addWidget(m_unitSpace, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Background Color"), group), 1, 0);
    grid->addWidget(m_background, 1, 1);

    connect(m_shading, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) m_editor->setShadingType(index);
    });
    connect(m_unitSpace, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) m_editor->setUnitSpace(index);
    });
    connect(m_background, &ColorComboBox::colorChosen, this, [this](macro::Rgb color) {
        if (!m_showing) m_editor->setBackground(color);
    });

    for (int i = 0; i < session::kAccentRowCount; ++i) {
        const auto row = static_cast<AccentRow>(i);
        const QString caption = QString::fromLatin1(kAccentCaptions[i]);
        auto* type = new QComboBox(group);
        for (const char* name : kTargetNames) type->addItem(QString::fromLatin1(name));
        type->setObjectName(caption);
        type->setAccessibleName(caption);
        ColorComboBox* color = makeColorList(group, caption + QStringLiteral(" Color"));
        m_accentTypes[static_cast<std::size_t>(i)] = type;
        m_accentColors[static_cast<std::size_t>(i)] = color;
        grid->addWidget(new QLabel(caption, group), 2 + i, 0);
        grid->addWidget(type, 2 + i, 1);
        grid->addWidget(new QLabel(QStringLiteral("to"), group), 2 + i, 2, Qt::AlignCenter);
        grid->addWidget(color, 2 + i, 3);
        connect(type, &QComboBox::currentIndexChanged, this, [this, row](int index) {
            if (!m_showing) m_editor->setAccentType(row, index);
        });
        connect(color, &ColorComboBox::colorChosen, this, [this, row](macro::Rgb chosen) {
            if (!m_showing) m_editor->setAccentColor(row, chosen);
        });
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QGroupBox* CDialogMacroSetting::buildThemeGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Theme"), this);
    auto* column = new QVBoxLayout(group);
    m_themeList = new QComboBox(group);
    m_themeList->setAccessibleName(QStringLiteral("Theme"));
    m_themeList->setMinimumContentsLength(14);
    m_themeList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_saveAs = new QPushButton(QStringLiteral("Save As..."), group);
    m_remove = new QPushButton(QStringLiteral("Remove"), group);
    for (QPushButton* button : {m_saveAs, m_remove}) button->setAutoDefault(false);
    column->addWidget(m_themeList);
    column->addWidget(m_saveAs);
    column->addWidget(m_remove);
    column->addStretch(1);
    connect(m_themeList, &QComboBox::activated, this, [this](int index) {
        m_editor->chooseTheme(index);
        showWorkingCopy();
    });
    connect(m_saveAs, &QPushButton::clicked, this, &CDialogMacroSetting::saveAs);
    connect(m_remove, &QPushButton::clicked, this, &CDialogMacroSetting::removeTheme);
    return group;
}

QGroupBox* CDialogMacroSetting::buildElementGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Element Feature"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    const QStringList headers = {QStringLiteral("Font Name"), QStringLiteral("B"), QStringLiteral("Font Size"),
                                 QString::fromLatin1(kColorColumns[0]), QString::fromLatin1(kColorColumns[1]),
                                 QString::fromLatin1(kColorColumns[2])};
    for (int c = 0; c < headers.size(); ++c) {
        grid->addWidget(new QLabel(headers[c], group), 0, c + 1, c == 1 ? Qt::AlignCenter : Qt::Alignment());
    }
    for (int r = 0; r < session::kElementRowCount; ++r) {
        const QString caption = fromUtf8(session::elementCaption(r));
        ElementRow& row = m_rows[static_cast<std::size_t>(r)];
        row.face = new QComboBox(group);
        row.face->setModel(fontFamilyModel());
        row.face->setObjectName(caption + QStringLiteral(" Font Name"));
        row.face->setAccessibleName(caption + QStringLiteral(" Font Name"));
        row.face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        row.face->setMinimumContentsLength(12);
        row.face->setMaxVisibleItems(20);
        row.face->view()->setMinimumWidth(240);
        row.bold = new QCheckBox(group);
        row.bold->setObjectName(caption + QStringLiteral(" B"));
        row.bold->setAccessibleName(caption + QStringLiteral(" B"));
        row.size = new QComboBox(group);
        for (int size = session::ThemeEditor::kMinFontSize; size <= session::ThemeEditor::kMaxFontSize; ++size) {
            row.size->addItem(QString::number(size));
        }
        row.size->setObjectName(caption + QStringLiteral(" Font Size"));
        row.size->setAccessibleName(caption + QStringLiteral(" Font Size"));
        for (int part = 0; part < 3; ++part) {
            row.colors[static_cast<std::size_t>(part)] =
                makeColorList(group, caption + QLatin1Char(' ') + QString::fromLatin1(kColorColumns[part]));
        }
        grid->addWidget(new QLabel(caption, group), r + 1, 0);
        grid->addWidget(row.face, r + 1, 1);
        grid->addWidget(row.bold, r + 1, 2, Qt::AlignCenter);
        grid->addWidget(row.size, r + 1, 3);
        for (int part = 0; part < 3; ++part) {
            grid->addWidget(row.colors[static_cast<std::size_t>(part)], r + 1, 4 + part);
        }

        connect(row.face, &QComboBox::currentIndexChanged, this, [this, r, face = row.face](int) {
            if (!m_showing && !face->currentText().isEmpty()) m_editor->setFaceName(r, face->currentText().toStdString());
        });
        connect(row.bold, &QCheckBox::toggled, this, [this, r](bool on) {
            if (!m_showing) m_editor->setBold(r, on);
        });
        connect(row.size, &QComboBox::currentIndexChanged, this, [this, r](int index) {
            if (!m_showing) m_editor->setSizeIndex(r, index);
        });
        for (int part = 0; part < 3; ++part) {
            connect(row.colors[static_cast<std::size_t>(part)], &ColorComboBox::colorChosen, this,
                    [this, r, part](macro::Rgb color) {
                        if (!m_showing) m_editor->setElementColor(r, static_cast<ColorPart>(part), color);
                    });
        }
    }
    return group;
}

void CDialogMacroSetting::showWorkingCopy()
{
    m_showing = true;
    const macro::ThemeColors& colors = m_editor->working().colors;
    m_shading->setCurrentIndex(colors.shadingType);
    m_unitSpace->setCurrentIndex(colors.unitSpace);
    m_background->setColor(colors.background);
    for (int i = 0; i < session::kAccentRowCount; ++i) {
        const auto row = static_cast<AccentRow>(i);
        m_accentTypes[static_cast<std::size_t>(i)]->setCurrentIndex(m_editor->accentType(row));
        m_accentColors[static_cast<std::size_t>(i)]->setColor(m_editor->accentColor(row));
    }
    for (int r = 0; r < session::kElementRowCount; ++r) {
        ElementRow& row = m_rows[static_cast<std::size_t>(r)];
        const macro::ElementFont& font = m_editor->elementFont(r);
        const macro::ElementColors& c = m_editor->elementColors(r);
        row.face->setCurrentIndex(fontFamilyRow(fromUtf8(font.faceName)));
        row.bold->setChecked(font.bold);
        row.size->setCurrentIndex(m_editor->sizeIndex(r));
        row.colors[0]->setColor(c.font);
        row.colors[1]->setColor(c.border);
        row.colors[2]->setColor(c.background);
    }
    m_showing = false;
}

void CDialogMacroSetting::refillThemeList()
{
    m_themeList->clear();
    for (const session::ThemeListEntry& entry : m_editor->themes()) {
        m_themeList->addItem(fromUtf8(entry.name));
    }
    m_themeList->setCurrentIndex(m_editor->selectedTheme());
}

void CDialogMacroSetting::workingThemeChanged(session::PreviewUpdate update)
{
    if (m_preview) {
        m_preview->themeChanged(update);
    }
}

void CDialogMacroSetting::saveAs()
{
    const QString name = m_prompts.inputName();
    if (name.isEmpty()) {
        return;
    }
    if (std::optional<std::string> refusal = m_editor->saveAs(name.toStdString())) {
        m_prompts.message(fromUtf8(*refusal));
        return;
    }
    refillThemeList();
}

void CDialogMacroSetting::removeTheme()
{
    const int index = m_themeList->currentIndex();
    if (!m_editor->canRemove(index)) {
        return;
    }
    if (!m_prompts.askOkCancel(QString::fromLatin1(kReallyRemove))) {
        return;
    }
    if (std::optional<std::string> refusal = m_editor->remove(index)) {
        m_prompts.message(fromUtf8(*refusal));
        return;
    }
    refillThemeList();
}

}  // namespace qm::app
