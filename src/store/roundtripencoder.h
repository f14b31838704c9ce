#pragma once

#include <QByteArray>

#include <iconv.h>

// Converts UTF-8 into a legacy encoding and refuses every character that would not read back as
// itself: code page 932 writes the yen sign as a backslash (so "¥n" would come back as a line
// break) and U+301C as U+FF5E. The XML writer puts a character reference for a refused character.
// Only for encodings without shift states.
class RoundTripEncoder
{
public:
    // Throws StoreError when the system cannot convert to encoding.
    explicit RoundTripEncoder(const QByteArray &encoding);
    ~RoundTripEncoder();
    RoundTripEncoder(const RoundTripEncoder &) = delete;
    RoundTripEncoder &operator=(const RoundTripEncoder &) = delete;

    // Such encodings cannot be checked one character at a time and are left to the XML writer.
    bool HasShiftStates();

    // Converts in into out as far as both allow. *inLength and *outLength become the bytes consumed
    // and produced. Returns 0 when all of in was converted, -1 when out is full, -2 when the next
    // character of in is refused, -3 when in ends inside a character.
    int Convert(unsigned char *out, int *outLength, const unsigned char *in, int *inLength);

private:
    bool ReadsBack(const char *in, size_t inLength, const char *out, size_t outLength);
    size_t GoodPrefix(const char *in, size_t inLength, size_t *outLength);

    iconv_t m_encode;
    iconv_t m_decode;
    QByteArray m_scratch;
};
