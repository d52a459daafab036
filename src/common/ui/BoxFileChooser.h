#pragma once

#include "common/FileChooser.h"

namespace common {

// Files chosen in the platform's file dialog over the active window.
class BoxFileChooser : public FileChooser {
public:
    std::optional<QString> choose(const FileRequest& request) override;
};

} // namespace common
