#pragma once

#include "ByteSource.h"

#include <QString>

namespace brivello {

// A read-only file opened for the length of one rewrite; reads with pread so the file is
// never held whole. Not shared between threads.
class FileByteSource : public ByteSource
{
public:
    explicit FileByteSource(const QString &path); // throws WriteError
    ~FileByteSource() override;
    FileByteSource(const FileByteSource &) = delete;
    FileByteSource &operator=(const FileByteSource &) = delete;

    qint64 size() const override { return m_size; }
    void readInto(qint64 offset, char *buffer, qint64 length) const override;
    int fileDescriptor() const override { return m_fd; }

private:
    int m_fd = -1;
    qint64 m_size = 0;
};

} // namespace brivello
