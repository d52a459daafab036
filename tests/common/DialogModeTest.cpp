#include "common/DialogMode.h"

#include <gtest/gtest.h>

using common::DialogModeKind;

TEST(DialogMode, AnOpenersTextNamesItsModeAndNoOtherTextNamesOne) {
    struct Case {
        QString text;
        std::optional<DialogModeKind> mode;
    };
    const Case cases[] = {
        {common::mode::Add, DialogModeKind::Add},
        {common::mode::Modify, DialogModeKind::Modify},
        {common::mode::View, DialogModeKind::View},
        // The product validation's word and other letter cases are no mode.
        {common::mode::Mod, std::nullopt},
        {QStringLiteral("add"), std::nullopt},
        {QStringLiteral(" ADD"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(common::modeKind(c.text), c.mode) << c.text.toStdString();
}
