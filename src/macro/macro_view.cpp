#include "macro/macro_view.h"

#include "macro/macro_view_paint.h"
#include "macro/reentry_guard.h"

#include <algorithm>
#include <vector>

namespace qm::macro {

namespace {

draw::Point operator+(draw::Point a, draw::Point b)
{
    return {clampCoordinate(static_cast<long long>(a.x) + b.x), clampCoordinate(static_cast<long long>(a.y) + b.y)};
}

bool isScopeOrGroup(std::int32_t kind)
{
    return kind == 61 || kind == 63 || kind == 64;
}

bool isClassLike(model::NodeKind kind)
{
    return kind == model::NodeKind::Class || kind == model::NodeKind::Struct || kind == model::NodeKind::Union;
}

// The line of the last token of `node` and everything nested in it: a function's node holds its
// head, its statements are its children.
int lastLineOf(const model::AnalysisNode& node)
{
    int last = node.tokens.empty() ? 0 : node.tokens.back()->line;
    std::vector<const model::AnalysisNode*> pending;
    for (const model::AnalysisNode& child : node.children) pending.push_back(&child);
    while (!pending.empty()) {
        const model::AnalysisNode* next = pending.back();
        pending.pop_back();
        if (!next->tokens.empty()) last = std::max(last, static_cast<int>(next->tokens.back()->line));
        for (const model::AnalysisNode& child : next->children) pending.push_back(&child);
    }
    return last;
}

}  // namespace

MacroView::MacroView(MacroViewHost& host, DetailSelection& selection) : m_host(host), m_selection(selection) {}

void MacroView::takeTheme(const ThemeFonts& fonts, const ThemeColors& colors)
{
    m_theme.fonts = fonts;
    m_theme.colors = colors;
    m_themeChanged = true;
}

void MacroView::runStarting()
{
    m_expandAfterBuild.reset();
    forgetBoxes();
    m_diagram.clear();
    m_result = nullptr;
    m_classRoot = nullptr;
    m_runFinished = false;
    m_selection.definition = nullptr;
    m_selection.classRoot = nullptr;
}

void MacroView::runFinished(const model::SymbolEntry* root)
{
    m_result = root;
    m_classRoot = root;
    m_runFinished = true;
}

void MacroView::forgetBoxes()
{
    m_selectedBox = nullptr;
    m_drawList.clear();
}

void MacroView::clearAll()
{
    forgetBoxes();
    m_classRoot = nullptr;
    m_result = nullptr;
    m_runFinished = false;
    m_diagram.clear();
    m_host.setScrollSize(kEmptyScrollSize);
    m_host.resetScrollPosition();
    m_host.redrawNow();
}

draw::Size MacroView::layoutNow(int clientWidth)
{
    MacroLayoutOptions options;
    options.availableWidth = clientWidth;
    options.unitSpace = m_theme.colors.unitSpace;
    options.sortKey = m_settings.sortKey;
    options.fixedSize = m_settings.fixedSize;
    options.autoSort = m_settings.autoSort || m_sortOncePending;
    m_sortOncePending = false;
    // Sorting moves boxes in memory: the draw list and the selected box are found again.
    forgetBoxes();
    return m_diagram.layout(options);
}

bool MacroView::drawDiagram(draw::Canvas& canvas, const draw::TextMetrics& metrics, int clientWidth)
{
    if (!prepareDraw(metrics, clientWidth)) {
        return false;
    }
    paintDiagram(canvas);
    return true;
}

bool MacroView::prepareDraw(const draw::TextMetrics& metrics, int clientWidth)
{
    if (m_drawing) {
        return false;
    }
    const ReentryGuard drawing(m_drawing);
    if (!m_result) {
        return true;
    }
    bool laidOut = false;
    if (m_runFinished) {
        forgetBoxes();
        m_diagram.buildBoxes(*m_result);
        m_diagram.measureBoxes(metrics, m_theme.fonts);
        if (m_expandAfterBuild) {
            m_diagram.setExpandedAll(*m_expandAfterBuild);
            m_expandAfterBuild.reset();
        }
        m_host.setScrollSize(layoutNow(clientWidth));
        m_runFinished = false;
        laidOut = true;
    } else if (m_themeChanged) {
        m_diagram.measureBoxes(metrics, m_theme.fonts);
        m_host.setScrollSize(layoutNow(clientWidth));
        m_themeChanged = false;
        laidOut = true;
    } else if (m_relayoutPending) {
        m_host.setScrollSize(layoutNow(clientWidth));
        m_relayoutPending = false;
        laidOut = true;
    }
    if (laidOut) {
        reselect();
    }
    return true;
}

void MacroView::paintDiagram(draw::Canvas& canvas)
{
    if (m_drawing || !m_result || m_host.isRunActive()) {
        return;
    }
    const ReentryGuard drawing(m_drawing);
    paintBoxes(canvas, m_diagram.boxes(), m_theme, m_drawList);
    if (m_selectedBox) {
        invertBox(canvas, *m_selectedBox);
    }
}

void MacroView::paintCopy(draw::Canvas& canvas)
{
    if (!m_result || m_host.isRunActive()) {
        return;
    }
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, m_diagram.boxes(), m_theme, drawList);
    if (m_selectedBox) {
        invertBox(canvas, *m_selectedBox);
    }
}

void MacroView::reselect()
{
    MacroBox* found = nullptr;
    const model::AnalysisNode* wanted = m_selection.definition;
    if (wanted) {
        visitBoxes(m_diagram.boxes(), [&](MacroBox& box) {
            if (found) {
                return false;
            }
            if (box.entry && !box.entry->definitions.empty() && box.entry->definitions.front() == wanted) {
                found = &box;
                return false;
            }
            return true;
        });
    }
    m_selectedBox = found;
}

void MacroView::mouseDown(draw::Point client, draw::Point scroll)
{
    if (!m_host.isRunActive()) {
        pick(client, scroll);
    }
}

void MacroView::doubleClick(draw::Point client, draw::Point scroll)
{
    if (m_host.isRunActive()) {
        return;
    }
    MacroBox* box = hitTest(client + scroll);
    if (!box || !box->hasChildren()) {
        return;
    }
    box->expanded = !box->expanded;
    m_relayoutPending = true;
    clearSelection();
    m_host.redrawDetailNow();
    m_host.redrawNow();
}

void MacroView::mouseMove(draw::Point client, draw::Point scroll)
{
    if (m_selectedBox && !m_settings.autoSort && m_selection.detailMode != DetailMode::Flowchart) {
        move(client, scroll);
    }
}

void MacroView::pick(draw::Point client, draw::Point scroll)
{
    m_lastMousePoint = client + scroll;
    if (MacroBox* box = hitTest(m_lastMousePoint)) {
        select(*box, m_lastMousePoint);
        m_diagram.renumberSubtree(*box);
    } else {
        clearSelection();
    }
    m_host.redrawDetailNow();
    m_host.invalidate();
}

void MacroView::select(MacroBox& box, draw::Point point)
{
    // The marker corner of a box with children folds or unfolds it.
    if (box.hasChildren() && point.x < static_cast<long long>(box.x) + box.markerSize &&
        point.y < static_cast<long long>(box.y) + box.markerSize) {
        box.expanded = !box.expanded;
        m_relayoutPending = true;
        clearSelection();
        return;
    }
    if (!box.entry) {
        return;
    }
    const model::SymbolEntry& entry = *box.entry;
    if (!entry.definitions.empty()) {
        const model::AnalysisNode* definition = entry.definitions.front();
        bool shown = true;
        if (kindCategory(definition->kind) == 22) {
            m_selection.detailMode = DetailMode::Flowchart;
            m_selection.classRoot = nullptr;
        } else if (isClassLike(definition->kind)) {
            m_selection.detailMode = DetailMode::ClassDiagram;
            m_selection.classRoot = m_classRoot;
        } else {
            shown = false;
        }
        if (shown) {
            if (m_selection.definition == definition) {
                return;
            }
            m_selectedBox = &box;
            m_selection.changed = true;
            m_selection.definition = definition;
            m_selection.entry = &entry;
            if (!entry.definitionFiles.empty()) {
                m_host.openCodeFile(std::string(entry.definitionFiles.front()));
            }
            if (!definition->tokens.empty()) {
                m_host.markCodeLines(definition->tokens.front()->line, lastLineOf(*definition));
            }
            m_host.clearDetailHover();
            m_host.log(entry.name + std::string(kSelectedSuffix));
            return;
        }
    }
    if (isScopeOrGroup(box.kind())) {
        m_selection.classRoot = nullptr;
        m_selection.detailMode = DetailMode::None;
        m_selectedBox = &box;
        m_host.log(entry.name + std::string(m_settings.autoSort ? kUncheckAutoSortSuffix : kReadyToMoveSuffix));
    }
}

void MacroView::clearSelection()
{
    m_selectedBox = nullptr;
    m_selection.definition = nullptr;
    m_selection.changed = true;
    m_host.resetCodeWindow();
}

void MacroView::move(draw::Point client, draw::Point scroll)
{
    const draw::Point point = client + scroll;
    const long long dx = static_cast<long long>(point.x) - m_lastMousePoint.x;
    const long long dy = static_cast<long long>(point.y) - m_lastMousePoint.y;
    if (m_selectedBox) {
        std::vector<MacroBox*> pending{m_selectedBox};
        while (!pending.empty()) {
            MacroBox& box = *pending.back();
            pending.pop_back();
            box.x = clampCoordinate(box.x + dx);
            box.y = clampCoordinate(box.y + dy);
            if (box.expanded) {
                for (MacroBox& child : box.children) {
                    pending.push_back(&child);
                }
            }
        }
    }
    m_lastMousePoint = point;
    m_host.invalidate();
}

MacroBox* MacroView::hitTest(draw::Point point) const
{
    return macro::hitTest(m_drawList, point);
}

void MacroView::setAllExpanded(bool expanded)
{
    if (m_host.isRunActive() || m_foldBusy) {
        return;
    }
    const ReentryGuard busy(m_foldBusy);
    clearSelection();
    if (m_runFinished) {
        // The boxes of the new result are made at the next draw: they are folded or unfolded then.
        m_expandAfterBuild = expanded;
    } else {
        m_diagram.setExpandedAll(expanded);
    }
    m_relayoutPending = true;
    m_host.redrawNow();
}

void MacroView::sortOnce()
{
    m_sortOncePending = true;
    m_relayoutPending = true;
    m_host.redrawNow();
}

void MacroView::resized(int width)
{
    if (!m_settings.autoResize) {
        return;
    }
    if (width != m_lastWidth && !m_host.isRunActive()) {
        m_relayoutPending = true;
    }
    m_lastWidth = width;
}

}  // namespace qm::macro
