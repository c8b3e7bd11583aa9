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

TEST(LocalFileTest, TextFormOfAPathKeepsEveryByte)
{
    const char *paths[] = {
        "/m/plain.mp3",
        "/m/\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.mp3", // valid UTF-8
        "/m/\xcf\xe5\xf1\xed\xff.mp3",                     // CP1251
        "/m/\xed\xa0\x80 surrogate \xc0\xaf overlong \xf4\x90\x80\x80 too high",
        "/m/cut \xe2\x82",
    };
    for (const char *raw : paths) {
        const QByteArray bytes(raw);
        const QString text = LocalFile::decodeName(bytes);
        EXPECT_EQ(LocalFile::encodeName(text), bytes) << raw;
        EXPECT_EQ(LocalFile::path(LocalFile::url(bytes)), text) << raw;
        if (QByteArrayView(bytes).isValidUtf8()) {
            EXPECT_EQ(text, QString::fromUtf8(bytes)) << raw;
            EXPECT_EQ(LocalFile::url(bytes), QUrl::fromLocalFile(text)) << raw;
        }
    }
}
