// A QGuiApplication on the offscreen platform for the tests that draw with Qt.
#pragma once

#include <QGuiApplication>

#include <cstdlib>

namespace qm::draw {

inline void ensureGuiApplication()
{
    if (QCoreApplication::instance()) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test_draw_qt";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

}  // namespace qm::draw
