#pragma once

// The export's desktop from a script: the question's answers in order
// (Cancel when none is left, counted as unexpected), a folder for the
// workbooks, and files "opened" by recording them.

#include "export/ExportHooks.h"

#include <QStringList>

#include <deque>

namespace testing_support {

class ScriptedExportHooks : public exports::ExportHooks {
public:
    explicit ScriptedExportHooks(QString where = QString()) : folder(std::move(where)) {}

    exports::ExportChoice askExportKind(const QString& question) override {
        questions << question;
        if (answers.empty()) {
            unexpectedQuestion = true;
            return exports::ExportChoice::Cancel;
        }
        const exports::ExportChoice answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString workbookFolder() const override { return folder; }
    bool openFile(const QString& path) override {
        opened << path;
        return opens;
    }
    void setBusy(bool on) override {
        busy += on ? 1 : -1;
        if (on)
            ++busySpells;
    }

    std::deque<exports::ExportChoice> answers;
    QString folder;
    bool opens = true; // what openFile answers
    QStringList questions;
    QStringList opened;
    bool unexpectedQuestion = false;
    int busy = 0;       // on minus off: 0 after every export
    int busySpells = 0; // how often the hourglass came on
};

} // namespace testing_support
