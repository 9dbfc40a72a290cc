// After a sudden end of the program: the papers its journals can restore, each with its
// thumbnail, title, size and time, to restore the chosen ones, discard them all or decide at
// the next start.
#pragma once

#include "app/paper_journal.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QListWidget;

namespace qm::ui {

class TMainForm;

class TRecoveryDialog : public QDialog {
    Q_OBJECT
  public:
    TRecoveryDialog(const std::vector<TRecoverablePaper>& papers, QWidget* parent = nullptr);
    // The papers ticked (all at first).
    std::vector<size_t> chosen() const;
    // Whether the journals are to wait for the next start.
    bool later() const { return later_; }

    QListWidget* list = nullptr;

  private:
    bool later_ = false;
};

// Test hook: answers the dialog with the indexes to restore, or nothing to decide later.
using TRecoveryChooser =
    std::function<std::optional<std::vector<size_t>>(const std::vector<TRecoverablePaper>&)>;
void setRecoveryChooser(TRecoveryChooser chooser);

// Offers the papers the journals of the folder can restore and restores the chosen ones as
// new, untitled papers. The journals offered are removed, unless the user decides later.
// Returns the number of papers restored.
int offerRecovery(TMainForm& main, const std::string& folder);

} // namespace qm::ui
