#pragma once

// The one way the program asks the user for a file: backup, restore and the
// text export. Windows answer with the platform's file dialog
// (BoxFileChooser); tests with a script.

#include <QString>

#include <optional>

namespace common {

struct FileRequest {
    enum Purpose { Open, Save };
    Purpose purpose = Open;
    QString title;     // the dialog's caption
    QString directory; // where the dialog starts
    QString filter;    // e.g. "Text Files (*.txt)"
    // Save only: ask before replacing an existing file.
    bool confirmOverwrite = true;
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's path, or no value when the user cancelled.
    virtual std::optional<QString> choose(const FileRequest& request) = 0;
};

} // namespace common
