#include "store/roundtripencoder.h"

#include "store/storeerror.h"

#include <cerrno>
#include <cstring>

namespace {

const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);
constexpr size_t IconvFailed = static_cast<size_t>(-1);

size_t Utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    return (lead & 0xF0) == 0xE0 ? 3 : 4;
}

void Close(iconv_t &converter)
{
    if (converter != NoConverter)
        iconv_close(converter);
    converter = NoConverter;
}

size_t Run(iconv_t converter, const char **in, size_t *inLeft, char **out, size_t *outLeft)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    return iconv(converter, const_cast<char **>(in), inLeft, out, outLeft);
}

}

RoundTripEncoder::RoundTripEncoder(const QByteArray &encoding)
    : m_encode(iconv_open(encoding.constData(), "UTF-8")), m_decode(iconv_open("UTF-8", encoding.constData()))
{
    if (m_encode == NoConverter || m_decode == NoConverter) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        Close(m_encode);
        Close(m_decode);
        throw StoreError(QStringLiteral("cannot write encoding \"%1\": %2").arg(QString::fromUtf8(encoding), reason));
    }
}

RoundTripEncoder::~RoundTripEncoder()
{
    Close(m_encode);
    Close(m_decode);
}

bool RoundTripEncoder::HasShiftStates()
{
    const char *source = "\xE3\x81\x82";
    size_t sourceLeft = 3;
    char encoded[16];
    char *target = encoded;
    size_t targetLeft = sizeof encoded;
    Run(m_encode, &source, &sourceLeft, &target, &targetLeft);
    char *reset = target;
    iconv(m_encode, nullptr, nullptr, &target, &targetLeft);
    return target != reset;
}

int RoundTripEncoder::Convert(unsigned char *out, int *outLength, const unsigned char *in, int *inLength)
{
    if (in == nullptr) {
        *outLength = 0;
        *inLength = 0;
        return 0;
    }
    const char *source = reinterpret_cast<const char *>(in);
    size_t sourceLeft = size_t(*inLength);
    char *target = reinterpret_cast<char *>(out);
    size_t targetLeft = size_t(*outLength);
    const int status = Run(m_encode, &source, &sourceLeft, &target, &targetLeft) != IconvFailed ? 0
        : errno == E2BIG                                                               ? -1
        : errno == EILSEQ                                                              ? -2
                                                                                       : -3;
    size_t consumed = size_t(*inLength) - sourceLeft;
    size_t produced = size_t(*outLength) - targetLeft;
    if (ReadsBack(reinterpret_cast<const char *>(in), consumed, reinterpret_cast<const char *>(out), produced)) {
        *inLength = int(consumed);
        *outLength = int(produced);
        return status;
    }
    *inLength = int(GoodPrefix(reinterpret_cast<const char *>(in), consumed, &produced));
    *outLength = int(produced);
    return -2;
}

bool RoundTripEncoder::ReadsBack(const char *in, size_t inLength, const char *out, size_t outLength)
{
    if (m_scratch.size() < qsizetype(inLength) + 4)
        m_scratch.resize(qsizetype(inLength) + 4);
    char *target = m_scratch.data();
    size_t targetLeft = size_t(m_scratch.size());
    if (Run(m_decode, &out, &outLength, &target, &targetLeft) == IconvFailed || outLength != 0)
        return false;
    return size_t(target - m_scratch.data()) == inLength && std::memcmp(m_scratch.constData(), in, inLength) == 0;
}

// The characters at the start of in that read back as themselves, one by one; *outLength becomes
// the bytes they take in the encoding.
size_t RoundTripEncoder::GoodPrefix(const char *in, size_t inLength, size_t *outLength)
{
    size_t good = 0;
    *outLength = 0;
    while (good < inLength) {
        const size_t length = Utf8Length(static_cast<unsigned char>(in[good]));
        char encoded[16];
        const char *source = in + good;
        size_t sourceLeft = length;
        char *target = encoded;
        size_t targetLeft = sizeof encoded;
        if (Run(m_encode, &source, &sourceLeft, &target, &targetLeft) == IconvFailed
            || !ReadsBack(in + good, length, encoded, size_t(target - encoded)))
            break;
        good += length;
        *outLength += size_t(target - encoded);
    }
    return good;
}
