#include "common/FileWork.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TemporaryCopies, TheNamePatternIsTheOneTheCopiesAreMadeUnder) {
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(QStringLiteral("AssetManagement.mdb"));
    {
        common::TemporaryCopy copy(target);
        EXPECT_TRUE(common::isTemporaryCopyOf(QFileInfo(copy.path()).fileName(),
                                              QStringLiteral("AssetManagement.mdb")))
            << copy.path().toStdString();
        EXPECT_EQ(common::removeLeftoverCopies(target), 0) << "held while its maker lives";
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << "removed when its maker is done";
    const struct {
        const char* name;
        bool copy;
    } names[] = {
        {".AssetManagement.mdb.Ab12Cd", true},  {".AssetManagement.mdb.Ab12Cd-journal", true},
        {".AssetManagement.mdb.Ab12C", false},  {".AssetManagement.mdb.Ab12Cde", false},
        {".AssetManagement.mdb.lock", false},   {"AssetManagement.mdb.Ab12Cd", false},
        {".AssetManagement.mdb.Ab-2Cd", false}, {".AssetManagement.mdb.Ab12Cd-wal", false},
        {".Other.mdb.Ab12Cd", false},
    };
    for (const auto& n : names)
        EXPECT_EQ(common::isTemporaryCopyOf(QString::fromLatin1(n.name),
                                            QStringLiteral("AssetManagement.mdb")),
                  n.copy)
            << n.name;
}
