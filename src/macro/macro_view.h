// MacroView: everything the macro view window does that is not a window. It decides when the box
// tree is rebuilt, re-measured and laid out again, paints it on a Canvas, and handles picking,
// folding, sorting and moving boxes, writing the pick into the document's DetailSelection. The
// window forwards its paint, mouse, size and command events here and carries out what the view
// asks of it through MacroViewHost (scroll range, redraws, the code window, the log).
//
// Everything runs on the user-interface thread.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"
#include "macro/detail_selection.h"
#include "macro/macro_diagram.h"
#include "macro/theme.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::macro {

// What the macro view asks of its window and of the rest of the program. Every call has a
// do-nothing default.
class MacroViewHost {
public:
    virtual ~MacroViewHost() = default;

    // Whether an analysis run is active: no painting, picking or folding then.
    virtual bool isRunActive() const { return false; }
    // The diagram's size became `size`: the scroll range follows it.
    virtual void setScrollSize(draw::Size size) { (void)size; }
    // Scroll back to the diagram's origin.
    virtual void resetScrollPosition() {}
    // Repaint this view at once (through drawDiagram), or later.
    virtual void redrawNow() {}
    virtual void invalidate() {}
    // Repaint the detail view at once; it reads the DetailSelection.
    virtual void redrawDetailNow() {}
    // Clear the detail view's hover highlight.
    virtual void clearDetailHover() {}
    // The code window: show a file, mark the lines of the picked element, forget its file.
    virtual void openCodeFile(const std::string& path) { (void)path; }
    virtual void markCodeLines(int firstLine, int lastLine) { (void)firstLine, (void)lastLine; }
    virtual void resetCodeWindow() {}
    // One line of the log.
    virtual void log(std::string_view line) { (void)line; }
};

// The settings the view lays out with ("Macro View Sort", "Fixed Size Arrange", "Auto Sort",
// "Auto Resize Macro View"). The window keeps them in step with the program's settings.
struct MacroViewSettings {
    MacroSortKey sortKey = MacroSortKey::Name;
    bool fixedSize = true;
    bool autoSort = true;
    bool autoResize = true;
};

class MacroView {
public:
    // The scroll range of a view without a diagram.
    static constexpr draw::Size kEmptyScrollSize{320, 240};

    static constexpr std::string_view kSelectedSuffix = " is selected.";
    static constexpr std::string_view kUncheckAutoSortSuffix = " uncheck auto sort to move.";
    static constexpr std::string_view kReadyToMoveSuffix = " ready to move.";

    // Both must outlive the view.
    MacroView(MacroViewHost& host, DetailSelection& selection);
    MacroView(const MacroView&) = delete;
    MacroView& operator=(const MacroView&) = delete;

    // --- theme and settings ----------------------------------------------------------------
    const Theme& theme() const noexcept { return m_theme; }
    // Replaces the theme without a re-measure (the theme the view starts with).
    void setTheme(const Theme& theme) { m_theme = theme; }
    // The theme dialog's result: copied, and the next draw measures and lays out again.
    void takeTheme(const ThemeFonts& fonts, const ThemeColors& colors);
    MacroViewSettings& settings() noexcept { return m_settings; }
    const MacroViewSettings& settings() const noexcept { return m_settings; }

    // --- analysis results ------------------------------------------------------------------
    // A run is about to start: the result, every box, the selection, the class root and the
    // selected definition are forgotten, since the run frees and replaces the nodes and entries
    // they point to. Nothing is drawn until the run has finished.
    void runStarting();
    // A run has ended with `root` as its symbol table (null when there is none): it becomes the
    // class root, and the next draw rebuilds the diagram from it.
    void runFinished(const model::SymbolEntry* root);
    // Rebuild from the same result at the next draw (the dialog-bar switches ask for this).
    void requestRebuild() { m_runFinished = true; }
    // Forgets the result, the selection and every box; scroll range and position start over,
    // and the view is redrawn.
    void clearAll();

    // --- drawing ---------------------------------------------------------------------------
    // One paint. Returns at once (false) when a draw is already in progress. With a result: a
    // finished run rebuilds, measures and lays out; a theme change measures and lays out; a
    // pending relayout lays out; each then sets the scroll range and re-finds the selected box.
    // Unless a run is active, the boxes are painted and the selected box inverted. `metrics`
    // measure as `canvas` draws; `clientWidth` is the width available to the layout.
    bool drawDiagram(draw::Canvas& canvas, const draw::TextMetrics& metrics, int clientWidth);
    // The two halves of drawDiagram, for a window that must set its scroll range (and with it
    // the painter's offset) between the layout and the painting. prepareDraw returns false when
    // a draw is already in progress; paintDiagram then must not be called.
    bool prepareDraw(const draw::TextMetrics& metrics, int clientWidth);
    void paintDiagram(draw::Canvas& canvas);
    // The diagram as paintDiagram draws it, for paper and picture files: the boxes the last paint
    // met (which hit tests use) stay as they are. Nothing while a run is active or without a result.
    void paintCopy(draw::Canvas& canvas);

    // The selected box becomes the first box (in pre-order, folded ones included) whose entry's
    // first definition is the selected definition; none when there is no such box.
    void reselect();

    // --- mouse -----------------------------------------------------------------------------
    // A button press (the window calls this for the left or right button pressed alone):
    // picks unless a run is active. Points are in client coordinates plus the scroll position.
    void mouseDown(draw::Point client, draw::Point scroll);
    // A double click: unless a run is active, toggles the box with children under the point,
    // clears the selection and redraws both views.
    void doubleClick(draw::Point client, draw::Point scroll);
    // A move with the left button held alone: moves the selected box while auto sort is off
    // and no flowchart is shown.
    void mouseMove(draw::Point client, draw::Point scroll);

    // Records the point, selects the box under it (then numbers it and its subtree last, so it
    // is drawn last and hit first) or clears the selection; redraws the detail view and
    // invalidates this one.
    void pick(draw::Point client, draw::Point scroll);
    // A click at diagram point `point` on `box`: in the marker corner of a box with children it
    // toggles the box; on a function or class with a definition it selects that definition for
    // the detail view and the code window; on a scope or group box it makes the box movable.
    void select(MacroBox& box, draw::Point point);
    void clearSelection();
    // Moves the selected box, and the children of expanded boxes in it, by the distance from
    // the last mouse point. No layout runs.
    void move(draw::Point client, draw::Point scroll);
    // The box under a diagram point among those the last paint collected; null when none.
    MacroBox* hitTest(draw::Point point) const;

    // --- commands --------------------------------------------------------------------------
    // Fold / Unfold: every box folded or expanded, the selection cleared, laid out and redrawn
    // at once. Nothing while a run is active or another fold is in progress.
    void foldAll() { setAllExpanded(false); }
    void unfoldAll() { setAllExpanded(true); }
    // Sort: the next layout places every box as auto sort would, once, and the view redraws at
    // once; the "Auto Sort" setting itself is left as it is.
    void sortOnce();
    // The window's width changed: with "Auto Resize Macro View" on, a new width lays out again
    // (not during a run).
    void resized(int width);

    // --- state -----------------------------------------------------------------------------
    MacroDiagram& diagram() noexcept { return m_diagram; }
    const MacroDiagram& diagram() const noexcept { return m_diagram; }
    MacroBox* selectedBox() const noexcept { return m_selectedBox; }
    const std::vector<MacroBox*>& drawList() const noexcept { return m_drawList; }
    draw::Point lastMousePoint() const noexcept { return m_lastMousePoint; }
    const model::SymbolEntry* classRoot() const noexcept { return m_classRoot; }
    const model::SymbolEntry* result() const noexcept { return m_result; }
    bool relayoutPending() const noexcept { return m_relayoutPending; }
    void setRelayoutPending() noexcept { m_relayoutPending = true; }
    bool themeChanged() const noexcept { return m_themeChanged; }

private:
    void setAllExpanded(bool expanded);
    draw::Size layoutNow(int clientWidth);
    // Forgets every pointer into the box tree before it is rebuilt or rearranged.
    void forgetBoxes();

    MacroViewHost& m_host;
    DetailSelection& m_selection;
    Theme m_theme;
    MacroViewSettings m_settings;
    MacroDiagram m_diagram;

    const model::SymbolEntry* m_result = nullptr;     // what the diagram is built from
    const model::SymbolEntry* m_classRoot = nullptr;  // handed to class diagrams
    MacroBox* m_selectedBox = nullptr;
    std::vector<MacroBox*> m_drawList;  // boxes of the last paint, highest sequence first
    draw::Point m_lastMousePoint;

    bool m_runFinished = false;
    bool m_themeChanged = false;
    bool m_relayoutPending = false;
    bool m_sortOncePending = false;
    // Fold or Unfold asked for after a run ended and before its boxes were made.
    std::optional<bool> m_expandAfterBuild;
    bool m_foldBusy = false;
    // Held for the whole of a draw: a draw that finds it set (a redraw asked for from inside a
    // draw) returns without drawing.
    bool m_drawing = false;
    int m_lastWidth = 0;
};

}  // namespace qm::macro
