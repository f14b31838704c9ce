#pragma once

#include <QByteArray>

#include <iconv.h>
#include <vector>

// Converts UTF-8 into a legacy encoding and refuses every character that would not read back as
// itself: code page 932 writes the yen sign as a backslash (so "¥n" would come back as a line
// break) and U+301C as U+FF5E. The XML writer puts a character reference for a refused character.
// Each character is converted once through the system's converter and then taken from a table,
// so one encoder serves many saves quickly.
class RoundTripEncoder
{
public:
    // Throws StoreError when the system cannot convert to encoding.
    explicit RoundTripEncoder(const QByteArray &encoding);
    ~RoundTripEncoder();
    RoundTripEncoder(const RoundTripEncoder &) = delete;
    RoundTripEncoder &operator=(const RoundTripEncoder &) = delete;

    QByteArray encoding() const { return m_encoding; }
    // False for encodings with shift states or byte-order marks, whose characters cannot be
    // converted one by one; those are left to the XML writer.
    bool EncodesPerCharacter() const { return m_perCharacter; }

    // Converts in into out as far as both allow. *inLength and *outLength become the bytes consumed
    // and produced. Returns 0 when all of in was converted, -1 when out is full, -2 when the next
    // character of in is refused, -3 when in ends inside a character.
    int Convert(unsigned char *out, int *outLength, const unsigned char *in, int *inLength);

private:
    struct Encoded
    {
        unsigned char length = 0; // 0: not converted yet
        unsigned char bytes[7] = {};
    };
    static constexpr unsigned char RefusedLength = 0xFF;

    const Encoded &Lookup(const unsigned char *character, size_t length);
    Encoded EncodeAlone(const unsigned char *character, size_t length);
    QByteArray Run(iconv_t converter, const QByteArray &in);
    bool CheckPerCharacter();

    QByteArray m_encoding;
    iconv_t m_encode;
    iconv_t m_decode;
    bool m_perCharacter = false;
    // One entry per character of the Basic Multilingual Plane; others are converted each time.
    std::vector<Encoded> m_table;
    Encoded m_scratch;
};
