#pragma once

// The export's desktop from a script: the question's answers in order
// (Cancel when none is left, counted as unexpected), the documents folder,
// files "opened" by recording them, and the folder offer's notices recorded
// and answered as told.

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
    bool offerFolder(const QString& notice) override {
        offers << notice;
        return openFolder;
    }
    void setBusy(bool on) override {
        busy += on ? 1 : -1;
        if (on)
            ++busySpells;
    }

    std::deque<exports::ExportChoice> answers;
    QString folder;
    bool opens = true;       // what openFile answers
    bool openFolder = false; // what offerFolder answers
    QStringList questions;
    QStringList opened;
    QStringList offers;
    bool unexpectedQuestion = false;
    int busy = 0;       // on minus off: 0 after every export
    int busySpells = 0; // how often the hourglass came on
};

} // namespace testing_support
