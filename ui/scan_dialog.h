// Acquiring a picture from a scanner: the device chooser with the scan options, the progress
// box with Cancel, and the messages when there is no scanner or the scan fails.
#pragma once

#include "print/sane_scanner.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class QSpinBox;

namespace qm::ui {

struct TScanChoice {
    std::string device;
    TScanOptions options;
};

struct TScannedPicture {
    TMTC picture;
    int32_t dpi = 0; // 0 when the scanner does not say
};

// The device and options dialog: a list of "vendor model (name)" when there are several
// devices, the one device's name otherwise, and the mode and resolution.
class TScanDialog : public QDialog {
    Q_OBJECT
  public:
    TScanDialog(const std::vector<TScanDevice>& devices, QWidget* parent = nullptr);
    TScanChoice choice() const;

    static QString deviceLabel(const TScanDevice& device);

  private:
    std::vector<TScanDevice> devices_;
    QListWidget* list_ = nullptr; // only with several devices
    QComboBox* mode_ = nullptr;
    QSpinBox* resolution_ = nullptr;
};

// Tests answer the dialog instead: the chooser gets every device found and returns the
// choice, or nothing for Cancel. An empty function brings the dialog back.
using TScanChooser =
    std::function<std::optional<TScanChoice>(const std::vector<TScanDevice>& devices)>;
void setScanChooserHook(TScanChooser chooser);

// Finds the scanners, lets the user choose one and its options, and scans with a progress box.
// Nothing when there is no scanner, the user cancels or the scan fails (the user has been told).
std::optional<TScannedPicture> acquireScan(QWidget* parent);

} // namespace qm::ui
