// CCodeWnd: the text area of the code window ("Code Text"). It paints what its CodeView holds,
// keeps its scroll bars in step with it, forwards the mouse, the wheel and the keys, draws the
// caret while it has the focus, and carries the "E" button that opens the file in the editor.
#pragma once

#include "detail/code_view.h"
#include "draw/qt_text_metrics.h"

#include <QAbstractScrollArea>

class QToolButton;

namespace qm::app {

class CCodeWnd : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kEditButtonSize = 20;

    explicit CCodeWnd(QWidget* parent = nullptr);

    detail::CodeView& model() noexcept { return m_model; }
    const detail::CodeView& model() const noexcept { return m_model; }

    void setText(std::string_view text);
    void setCodeFont(const std::string& face, int tenthsOfPoint);
    void selectLines(int first, int last, bool keepView);
    // The "E" button is shown when asked for and the window is large enough for it.
    void setEditButtonWanted(bool wanted);
    QToolButton* editButton() const noexcept { return m_edit; }

signals:
    void editRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Scroll bars and the edit button from the model's state.
    void syncFromModel();
    void placeEditButton();

    draw::QtTextMetrics m_metrics;
    detail::CodeView m_model;
    QToolButton* m_edit;
    bool m_editWanted = true;
    bool m_syncing = false;
};

}  // namespace qm::app
