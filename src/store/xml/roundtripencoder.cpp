#include "store/xml/roundtripencoder.h"

#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <cerrno>
#include <cstring>

namespace {

// NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open says that it failed by this value.
const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);
constexpr size_t IconvFailed = static_cast<size_t>(-1);
constexpr char32_t PlaneSize = 0x10000;

void Close(iconv_t &converter)
{
    if (converter != NoConverter)
        iconv_close(converter);
    converter = NoConverter;
}

inline size_t Utf8Length(unsigned char lead)
{
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The XML writer hands over well-formed UTF-8 only.
inline char32_t Utf8CodePoint(const unsigned char *in, size_t length)
{
    switch (length) {
    case 1:
        return in[0];
    case 2:
        return char32_t(in[0] & 0x1F) << 6 | (in[1] & 0x3F);
    case 3:
        return char32_t(in[0] & 0x0F) << 12 | char32_t(in[1] & 0x3F) << 6 | (in[2] & 0x3F);
    default:
        return char32_t(in[0] & 0x07) << 18 | char32_t(in[1] & 0x3F) << 12 | char32_t(in[2] & 0x3F) << 6
            | (in[3] & 0x3F);
    }
}

}

RoundTripEncoder::RoundTripEncoder(const QByteArray &encoding)
    : m_encoding(encoding)
    , m_encode(iconv_open(encoding.constData(), "UTF-8"))
    , m_decode(iconv_open("UTF-8", encoding.constData()))
{
    if (m_encode == NoConverter || m_decode == NoConverter) {
        const QString reason = SystemReason::Of(errno);
        Close(m_encode);
        Close(m_decode);
        throw StoreError(Words::WithDetail(
            QStringLiteral("文字コード「%1」では書き出せません。").arg(QString::fromUtf8(encoding)), reason));
    }
    m_perCharacter = CheckPerCharacter();
    if (m_perCharacter)
        m_table.resize(PlaneSize);
}

RoundTripEncoder::~RoundTripEncoder()
{
    Close(m_encode);
    Close(m_decode);
}

int RoundTripEncoder::Convert(unsigned char *out, int *outLength, const unsigned char *in, int *inLength)
{
    const size_t inSize = in == nullptr ? 0 : size_t(*inLength);
    const size_t outSize = size_t(*outLength);
    size_t consumed = 0;
    size_t produced = 0;
    int status = 0;
    while (consumed < inSize) {
        const size_t length = Utf8Length(in[consumed]);
        if (consumed + length > inSize) {
            status = -3;
            break;
        }
        // The table answers almost every character; only the first sight of one calls the converter.
        const char32_t codePoint = Utf8CodePoint(in + consumed, length);
        const bool known = codePoint < m_table.size() && m_table[codePoint].length != 0;
        const Encoded &encoded = known ? m_table[codePoint] : Lookup(in + consumed, length);
        if (encoded.length == RefusedLength) {
            status = -2;
            break;
        }
        if (produced + encoded.length > outSize) {
            status = -1;
            break;
        }
        for (unsigned char byte = 0; byte < encoded.length; ++byte)
            out[produced++] = encoded.bytes[byte];
        consumed += length;
    }
    *inLength = int(consumed);
    *outLength = int(produced);
    return status;
}

const RoundTripEncoder::Encoded &RoundTripEncoder::Lookup(const unsigned char *character, size_t length)
{
    const char32_t codePoint = Utf8CodePoint(character, length);
    if (codePoint >= PlaneSize) {
        m_scratch = EncodeAlone(character, length);
        return m_scratch;
    }
    Encoded &entry = m_table[codePoint];
    if (entry.length == 0)
        entry = EncodeAlone(character, length);
    return entry;
}

// The character's bytes in the encoding, or refused when it has none, needs more room than an
// entry has, or would read back as another character.
RoundTripEncoder::Encoded RoundTripEncoder::EncodeAlone(const unsigned char *character, size_t length)
{
    Encoded encoded;
    encoded.length = RefusedLength;
    const QByteArray utf8(reinterpret_cast<const char *>(character), qsizetype(length));
    const QByteArray bytes = Run(m_encode, utf8);
    if (bytes.isEmpty() || bytes.size() > qsizetype(sizeof encoded.bytes) || Run(m_decode, bytes) != utf8)
        return encoded;
    encoded.length = static_cast<unsigned char>(bytes.size());
    std::memcpy(encoded.bytes, bytes.constData(), size_t(bytes.size()));
    return encoded;
}

// The whole of in converted from a fresh state, or nothing when it cannot be.
QByteArray RoundTripEncoder::Run(iconv_t converter, const QByteArray &in)
{
    char buffer[64];
    const char *source = in.constData();
    size_t sourceLeft = size_t(in.size());
    char *target = buffer;
    size_t targetLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, const_cast<char **>(&source), &sourceLeft, &target, &targetLeft) == IconvFailed
        || iconv(converter, nullptr, nullptr, &target, &targetLeft) == IconvFailed)
        return QByteArray();
    return QByteArray(buffer, target - buffer);
}

// Converting characters one by one gives the converter's own result only when it has no state:
// no shift sequences, no byte-order mark in front of every piece.
bool RoundTripEncoder::CheckPerCharacter()
{
    const QByteArray sample = "a\xE3\x81\x82\xE3\x81\x84";
    const QByteArray whole = Run(m_encode, sample);
    const QByteArray pieces = Run(m_encode, "a") + Run(m_encode, "\xE3\x81\x82") + Run(m_encode, "\xE3\x81\x84");
    return !whole.isEmpty() && whole == pieces;
}
