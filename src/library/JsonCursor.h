#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace brivello {

// A strict forward reader over UTF-8 JSON text: the caller reads values in document order and
// no tree is built, so a large document costs one pass and no intermediate copies. Any syntax
// error, and any value of another type than the one asked for, throws JsonCursor::Error.
// Not thread-safe; one cursor per document.
class JsonCursor
{
public:
    struct Error
    {
    };

    explicit JsonCursor(QByteArrayView text);

    // Throws unless only white space is left.
    void expectEnd();

    // The next value is JSON null (not consumed).
    bool atNull();
    void readNull();

    // Objects: beginObject(), then nextMember() before each member's value until it gives
    // nothing. The key view stays valid until the next call on the cursor.
    void beginObject();
    std::optional<QByteArrayView> nextMember();
    // Arrays: beginArray(), then nextElement() before each element until it gives false.
    void beginArray();
    bool nextElement();

    QString readString();
    // The string's UTF-8 bytes; valid until the next call on the cursor.
    QByteArrayView readStringBytes();
    bool readBool();
    double readNumber();
    void skipValue();

private:
    char peek();
    void expect(char c);
    QByteArrayView stringBytes(bool &escaped);
    void skipNumber();
    void enter(char bracket);

    const char *m_at;
    const char *m_end;
    QByteArray m_scratch;
    // After '{' or '[': the first member or element needs no comma.
    bool m_first = false;
    // Open objects and arrays; past the limit the text is refused rather than the stack used up.
    int m_depth = 0;
};

} // namespace brivello
