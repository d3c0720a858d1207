#include "app/dialogs/font_families.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPointer>
#include <QStringListModel>

#include <algorithm>

namespace qm::app {

QStringListModel* fontFamilyModel()
{
    static QPointer<QStringListModel> model;
    if (!model) {
        QStringList families = QFontDatabase::families();
        families.removeDuplicates();
        std::sort(families.begin(), families.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        model = new QStringListModel(families, QCoreApplication::instance());
    }
    return model;
}

int fontFamilyRow(const QString& family)
{
    if (family.isEmpty()) {
        return -1;
    }
    QStringListModel* model = fontFamilyModel();
    const QStringList families = model->stringList();
    const auto less = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const auto at = std::lower_bound(families.begin(), families.end(), family, less);
    // Equal ignoring case may still differ in case: look at every such neighbour.
    for (auto it = at; it != families.end() && it->compare(family, Qt::CaseInsensitive) == 0; ++it) {
        if (*it == family) {
            return static_cast<int>(it - families.begin());
        }
    }
    const int row = static_cast<int>(at - families.begin());
    model->insertRows(row, 1);
    model->setData(model->index(row), family);
    return row;
}

}  // namespace qm::app
