// Export Picture: the picture in one of the formats other programs read, or each layer as a
// picture of its own; JPEG asks for its options first.
#pragma once

#include <QString>

#include <functional>

namespace qm::ui {

class TMainForm;

// Test hook: the file the export writes, chosen without the file dialog (the path, and the
// filter in `selected`; an empty path cancels). nullptr: the file dialog.
using TExportPathChooser =
    std::function<QString(const QString& proposed, const QString& filters, QString& selected)>;
void setExportPathChooser(TExportPathChooser chooser);

void exportPicture(TMainForm& main);

} // namespace qm::ui
