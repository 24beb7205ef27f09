// The open-file dialog (GetOpenFileNameW) on Qt's file dialog: internals that
// tests use to answer it without a person.
#pragma once

#include <optional>
#include <string>

namespace winapi {

// Answers every following GetOpenFileNameW without showing a dialog: a Linux
// path is taken as the file chosen, an empty text as a cancel. std::nullopt
// shows the dialog again. For tests only; the program never sets it.
void setFileDialogAnswer(std::optional<std::string> linuxPath);

// What the last GetOpenFileNameW asked of the dialog (UTF-8).
struct FileDialogRequest {
    std::string title;
    std::string filters;   // in Qt's form: "Text (*.txt);;All (*)"
    std::string directory; // where the dialog starts
    bool mustExist = false;
};
FileDialogRequest lastFileDialogRequest();

} // namespace winapi
