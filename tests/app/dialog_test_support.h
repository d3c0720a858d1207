// What the dialog tests share beside the window's: running code inside a modal dialog while it
// is open, and dropping files on a widget.
#pragma once

#include "frame_test_support.h"

#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace qm::app::testing {

// Calls `open` (which shows a modal dialog and waits for it) and runs `inside` on that dialog
// once it is open; the dialog is then rejected unless `inside` ended it. Returns the title of
// the dialog that opened (empty when none did).
inline QString whileModal(const std::function<void()>& open, const std::function<void(QDialog&)>& inside = {})
{
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog opened";
            return;
        }
        title = dialog->windowTitle();
        if (inside) inside(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    open();
    return title;
}

inline void dropOn(QWidget& target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

}  // namespace qm::app::testing
