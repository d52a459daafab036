#include "common/DialogMode.h"

#include <gtest/gtest.h>

#include <optional>

using common::DialogMode;

TEST(DialogMode, OnlyTheThreeModeTextsNameAMode) {
    struct Case {
        const char* text;
        std::optional<DialogMode> mode;
    };
    const Case cases[] = {
        {"ADD", DialogMode::Add},
        {"MODIFY", DialogMode::Modify},
        {"VIEW", DialogMode::View},
        // The product validation's word for a change is no dialog mode, nor
        // is a caption or a text in another case or with blanks.
        {"MOD", std::nullopt},
        {"&Add", std::nullopt},
        {"add", std::nullopt},
        {" ADD", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(common::dialogMode(QString::fromLatin1(c.text)), c.mode);
    }
}
