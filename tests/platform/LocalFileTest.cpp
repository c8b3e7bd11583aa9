#include "platform/LocalFile.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

TEST(LocalFileTest, CleanPathRemovesDotSegmentsAndRepeatedSlashes)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/a/./b//c.mp3", "/a/b/c.mp3"},
        {"/a/b/../c.mp3", "/a/c.mp3"},
        {"/../a.mp3", "/a.mp3"},
        {"/a/b/", "/a/b"},
        {"/", "/"},
        {"/m/caf\xe9/../x.mp3", "/m/x.mp3"},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(LocalFile::cleanPath(in), QByteArray(out)) << in;
}

TEST(LocalFileTest, AddressesKeepPathBytesThatAreNotUtf8)
{
    const QByteArray raw("/m/caf\xe9 #1%.mp3");
    const QUrl url = LocalFile::url(raw);
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(LocalFile::nativePath(url), raw);
    EXPECT_EQ(LocalFile::nativePath(QUrl(url.toString(QUrl::FullyEncoded))), raw);
    // UTF-8 paths give the same address as Qt's own conversion.
    const QString text = QStringLiteral("/m/Папка/a b#.mp3");
    EXPECT_EQ(LocalFile::url(text.toUtf8()), QUrl::fromLocalFile(text));
}

} // namespace
