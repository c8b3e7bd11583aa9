#include "support/TagParserHarness.h"
#include "support/TestAudioFiles.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace brivello::test;

// Inputs the fuzz targets (fuzz/) found or that were written by hand for the same harness,
// one folder per parser: tests/audiofiles/fuzz-regressions/<parser>/.
TEST(FuzzRegressionTest, KeptInputsStillHoldEveryInvariant)
{
    const QDir root(QStringLiteral(QT_TESTCASE_SOURCEDIR "/audiofiles/fuzz-regressions"));
    ASSERT_TRUE(root.exists());
    int count = 0;
    for (const QString &parser : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        TagParserHarness::Container container;
        ASSERT_TRUE(TagParserHarness::containerFromName(parser, container)) << parser.toStdString();
        const QDir folder(root.filePath(parser));
        for (const QString &name : folder.entryList(QDir::Files)) {
            const QString broken =
                TagParserHarness::run(container, TestAudioFiles::readAll(folder.filePath(name)));
            EXPECT_TRUE(broken.isEmpty()) << parser.toStdString() << "/" << name.toStdString()
                                          << ": " << broken.toStdString();
            ++count;
        }
    }
    EXPECT_GT(count, 0);
}
