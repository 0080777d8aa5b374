#pragma once

#include <QString>

namespace zefir::ui {

// Opens `archive` into a temporary folder, shows every window as a user
// would see it and saves each as a PNG in `folder`: desktop.png (the main
// window, the viewer and Settings open above it, as they stand on the
// screen), main.png, viewer.png,
// settings.png, progress.png, about.png. Returns the program's exit code.
int TakeScreenshots(const QString& folder, const QString& archive);

} // namespace zefir::ui
