// DiagramPrinter: printing, print preview and page setup of both diagram views. A drawing is
// printed at 0.25 mm per view pixel across as many pages as it needs, inside the shared margins;
// each page is drawn by the view's own drawing code for its slice only, so that a diagram of any
// size prints without a picture of the whole of it. The preview has a "&Margin" action whose
// margins the page count follows.
#pragma once

#include "app/print/printable_view.h"
#include "app/user_prompts.h"
#include "detail/print_pagination.h"

#include <QObject>

#include <memory>

class QPrinter;
class QWidget;

namespace qm::app {

class DiagramPrinter : public QObject {
    Q_OBJECT

public:
    explicit DiagramPrinter(UserPrompts& prompts, QObject* parent = nullptr);
    ~DiagramPrinter() override;

    // The printer every job uses (its setup stays from job to job).
    QPrinter& printer() noexcept { return *m_printer; }
    detail::PrintMargins& margins() noexcept { return m_margins; }

    // "Print...": the print dialog, then the job. Nothing for a view without a drawing (its
    // message is shown).
    void print(PrintableView& view, QWidget* parent);
    // "Print Preview": the preview dialog with its "&Margin" action.
    void printPreview(PrintableView& view, QWidget* parent);
    // "Print Setup...": the page setup dialog.
    void printSetup(QWidget* parent);

    // Prints `view` on `printer` without asking: paginates, then draws every page's slice. A
    // failure is shown once and ends the job (no empty pages follow it); false then.
    bool printTo(QPrinter& printer, PrintableView& view);
    // The page grid of the last job.
    const detail::PrintLayout& lastLayout() const noexcept { return m_layout; }

private:
    bool hasImage(PrintableView& view);

    UserPrompts& m_prompts;
    std::unique_ptr<QPrinter> m_printer;
    detail::PrintMargins m_margins;
    detail::PrintLayout m_layout;
};

// The printer's measures in its own pixels, as pagination takes them.
detail::PrinterGeometry printerGeometry(QPrinter& printer);

}  // namespace qm::app
