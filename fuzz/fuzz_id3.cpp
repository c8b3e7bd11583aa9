// libFuzzer entry for the id3 tag parser; see tests/support/TagParserHarness.h.
#include "support/TagParserHarness.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    using brivello::test::TagParserHarness;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString broken = TagParserHarness::run(TagParserHarness::Container::id3, input);
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
