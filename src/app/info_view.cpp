#include "app/info_view.h"

#include <QMouseEvent>
#include <QTextCursor>

namespace qm::app {

CInfoView::CInfoView(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Log"));
    setAccessibleName(QStringLiteral("Log"));
    setReadOnly(true);
    // Keyboard selection as well, so the caret can be moved and text copied without a mouse.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    // No limit on the lines kept: a long run's log is read to its end.
    setMaximumBlockCount(0);
}

void CInfoView::appendLog(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CInfoView::clearLog()
{
    clear();
}

void CInfoView::mousePressEvent(QMouseEvent* event)
{
    if (runActive()) {
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void CInfoView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (runActive()) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

}  // namespace qm::app
