#include "JsonCursor.h"

#include <QStringDecoder>
#include <charconv>

namespace brivello {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

JsonCursor::JsonCursor(QByteArrayView text)
    : m_at(text.data())
    , m_end(text.data() + text.size())
{}

char JsonCursor::peek()
{
    while (m_at < m_end && isSpace(*m_at))
        ++m_at;
    if (m_at == m_end)
        throw Error{};
    return *m_at;
}

void JsonCursor::expect(char c)
{
    if (peek() != c)
        throw Error{};
    ++m_at;
}

void JsonCursor::expectEnd()
{
    while (m_at < m_end && isSpace(*m_at))
        ++m_at;
    if (m_at != m_end)
        throw Error{};
}

bool JsonCursor::atNull()
{
    return peek() == 'n';
}

void JsonCursor::readNull()
{
    peek();
    if (m_end - m_at < 4 || QByteArrayView(m_at, 4) != "null")
        throw Error{};
    m_at += 4;
}

void JsonCursor::enter(char bracket)
{
    // As deep as QJsonDocument reads.
    constexpr int kMaxDepth = 1024;
    expect(bracket);
    if (++m_depth > kMaxDepth)
        throw Error{};
    m_first = true;
}

void JsonCursor::beginObject()
{
    enter('{');
}

std::optional<QByteArrayView> JsonCursor::nextMember()
{
    const char c = peek();
    if (c == '}') {
        ++m_at;
        --m_depth;
        m_first = false;
        return std::nullopt;
    }
    if (!m_first)
        expect(',');
    m_first = false;
    if (peek() != '"')
        throw Error{};
    bool escaped = false;
    const QByteArrayView key = stringBytes(escaped);
    if (!isAscii(key)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        utf8.decode(key);
        if (utf8.hasError())
            throw Error{};
    }
    expect(':');
    return key;
}

void JsonCursor::beginArray()
{
    enter('[');
}

bool JsonCursor::nextElement()
{
    if (peek() == ']') {
        ++m_at;
        --m_depth;
        m_first = false;
        return false;
    }
    if (!m_first)
        expect(',');
    m_first = false;
    return true;
}

// The bytes between the quotes: a view into the text when nothing is escaped, else the
// unescaped bytes in the scratch buffer. Raw control characters and bad escapes are errors.
QByteArrayView JsonCursor::stringBytes(bool &escaped)
{
    expect('"');
    const char *start = m_at;
    while (m_at < m_end && *m_at != '"' && *m_at != '\\') {
        if (static_cast<unsigned char>(*m_at) < 0x20)
            throw Error{};
        ++m_at;
    }
    if (m_at == m_end)
        throw Error{};
    if (*m_at == '"') {
        escaped = false;
        return QByteArrayView(start, m_at++ - start);
    }
    escaped = true;
    m_scratch = QByteArray(start, m_at - start);
    while (m_at < m_end && *m_at != '"') {
        const char c = *m_at++;
        if (static_cast<unsigned char>(c) < 0x20)
            throw Error{};
        if (c != '\\') {
            m_scratch += c;
            continue;
        }
        if (m_at == m_end)
            throw Error{};
        switch (const char e = *m_at++) {
        case '"':
        case '\\':
        case '/':
            m_scratch += e;
            break;
        case 'b':
            m_scratch += '\b';
            break;
        case 'f':
            m_scratch += '\f';
            break;
        case 'n':
            m_scratch += '\n';
            break;
        case 'r':
            m_scratch += '\r';
            break;
        case 't':
            m_scratch += '\t';
            break;
        case 'u': {
            auto unit = [this]() -> char32_t {
                if (m_end - m_at < 4)
                    throw Error{};
                char32_t value = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexValue(*m_at++);
                    if (digit < 0)
                        throw Error{};
                    value = value * 16 + char32_t(digit);
                }
                return value;
            };
            char32_t code = unit();
            // A surrogate pair spelled as two escapes is one character.
            if (code >= 0xD800 && code < 0xDC00 && m_end - m_at >= 6 && m_at[0] == '\\' &&
                m_at[1] == 'u') {
                const char *back = m_at;
                m_at += 2;
                const char32_t low = unit();
                if (low >= 0xDC00 && low < 0xE000)
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                else
                    m_at = back;
            }
            appendUtf8(m_scratch, code);
            break;
        }
        default:
            throw Error{};
        }
    }
    if (m_at == m_end)
        throw Error{};
    ++m_at;
    return m_scratch;
}

QByteArrayView JsonCursor::readStringBytes()
{
    if (peek() != '"')
        throw Error{};
    bool escaped = false;
    return stringBytes(escaped);
}

QString JsonCursor::readString()
{
    const QByteArrayView bytes = readStringBytes();
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        throw Error{};
    return text;
}

bool JsonCursor::readBool()
{
    const char c = peek();
    const QByteArrayView word = c == 't' ? "true" : "false";
    if (m_end - m_at < word.size() || QByteArrayView(m_at, word.size()) != word)
        throw Error{};
    m_at += word.size();
    return c == 't';
}

// JSON's number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
void JsonCursor::skipNumber()
{
    auto digits = [this] {
        const char *start = m_at;
        while (m_at < m_end && isDigit(*m_at))
            ++m_at;
        if (m_at == start)
            throw Error{};
    };
    if (m_at < m_end && *m_at == '-')
        ++m_at;
    if (m_at < m_end && *m_at == '0')
        ++m_at;
    else
        digits();
    if (m_at < m_end && *m_at == '.') {
        ++m_at;
        digits();
    }
    if (m_at < m_end && (*m_at == 'e' || *m_at == 'E')) {
        ++m_at;
        if (m_at < m_end && (*m_at == '+' || *m_at == '-'))
            ++m_at;
        digits();
    }
}

double JsonCursor::readNumber()
{
    const char c = peek();
    if (c != '-' && !isDigit(c))
        throw Error{};
    const char *start = m_at;
    skipNumber();
    double value = 0;
    const auto [end, error] = std::from_chars(start, m_at, value);
    // Out of range: the nearest double, as other JSON readers give.
    if (error == std::errc::result_out_of_range)
        value = QByteArray(start, m_at - start).toDouble();
    else if (error != std::errc() || end != m_at)
        throw Error{};
    return value;
}

void JsonCursor::skipValue()
{
    switch (peek()) {
    case '{':
        beginObject();
        while (nextMember())
            skipValue();
        break;
    case '[':
        beginArray();
        while (nextElement())
            skipValue();
        break;
    case '"':
        readString(); // validates the text
        break;
    case 't':
    case 'f':
        readBool();
        break;
    case 'n':
        readNull();
        break;
    default:
        readNumber();
        break;
    }
}

} // namespace brivello
