#pragma once

#include "app/ui/CCopyDownDlg.h"

#include <string>

class QApplication;

namespace harkwell {

// Start-up: the product page in the browser, then the main window until Close.
class CCopyDownApp {
public:
    CCopyDownApp(AppServices services, std::string workDir) : services_(services), workDir_(std::move(workDir)) {}
    [[nodiscard]] int Run();

private:
    AppServices services_;
    std::string workDir_;
};

// The colours of every dialog of the program: a soft green with darker text.
void ApplyDialogColours(QApplication& application);

// Opens the product page that ships with the program in the user's browser.
// False when it could not be put where a browser can read it, or not opened.
[[nodiscard]] bool OpenProductPage(Shell& shell);

}  // namespace harkwell
