#pragma once

#include <QByteArray>
#include <taglib/tiostream.h>

namespace brivello {

class ByteSource;

// TagLib's view of a ByteSource: lets TagLib parse a file the caller already holds open
// instead of opening it again by name. Read-only; writes are ignored. Not shared between
// threads; the source must outlive it.
class ByteSourceIOStream : public TagLib::IOStream
{
public:
    // `name` is what TagLib picks the file type by (its extension), as with a path.
    ByteSourceIOStream(const ByteSource &source, QByteArray name);

    TagLib::FileName name() const override { return m_name.constData(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position p = Beginning) override;
    long tell() const override { return m_position; }
    long length() override;
    void truncate(long) override {}

private:
    const ByteSource &m_source;
    QByteArray m_name;
    long m_position = 0;
};

} // namespace brivello
