// The installed font families as one list model that every font list of the dialogs shares, so
// that a dialog with eight font lists reads the font database once and fills no list item by
// item.
#pragma once

#include <QString>

class QStringListModel;

namespace qm::app {

// The installed families, sorted, read once per application (the model belongs to it).
QStringListModel* fontFamilyModel();

// The row of `family` in fontFamilyModel(), -1 for an empty name. A family that is not installed
// (a name that fontconfig maps to another font, such as "Arial") is added in its sorted place
// first, so that a list can show the name a setting or theme holds.
int fontFamilyRow(const QString& family);

}  // namespace qm::app
