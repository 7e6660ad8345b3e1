#pragma once
// Creation of the program's five windows in their fixed order, shared by the
// program entry and the tests.

#include <QString>
#include <functional>

class Dialogs;

struct AppOptions {
    QString libraryName = QStringLiteral("HxBus");
    Dialogs* dialogs = nullptr;    // null: the real message boxes
    std::function<void(int)> wait; // null: a real blocking wait
};

// Splash first (shown and painted), then Form1, AboutDialog, scriptProgress,
// RegViewForm; sets the global references. Form1 is not shown yet.
void CreateAppWindows(const AppOptions& options = {});
// Deletes all five windows and clears the references.
void DestroyAppWindows();
