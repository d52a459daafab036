#pragma once

// Files chosen from a script: each request takes the next queued answer, a
// path or a cancel. A request with nothing queued counts as a cancel and is
// reported by unexpectedRequest.

#include "common/FileChooser.h"

#include <deque>
#include <vector>

namespace testing_support {

class ScriptedFileChooser : public common::FileChooser {
public:
    void choose(const QString& path) { answers_.push_back(path); }
    void cancel() { answers_.push_back(std::nullopt); }

    const std::vector<common::FileRequest>& requests() const { return requests_; }
    bool unexpectedRequest() const { return unexpected_; }

    std::optional<QString> choose(const common::FileRequest& request) override {
        requests_.push_back(request);
        if (answers_.empty()) {
            unexpected_ = true;
            return std::nullopt;
        }
        const std::optional<QString> answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

private:
    std::deque<std::optional<QString>> answers_;
    std::vector<common::FileRequest> requests_;
    bool unexpected_ = false;
};

} // namespace testing_support
