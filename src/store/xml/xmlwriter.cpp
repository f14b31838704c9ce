#include "store/xml/xmlwriter.h"

#include "store/xml/roundtripencoder.h"
#include "store/xml/xmllibrary.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <libxml/encoding.h>
#include <libxml/xmlsave.h>

#include <optional>

namespace XmlWriter {

namespace {

QString Unwritable(const char *encoding)
{
    return QStringLiteral("文字コード「%1」では書き出せません。").arg(QString::fromUtf8(encoding));
}

int AppendToByteArray(void *context, const char *buffer, int length)
{
    static_cast<QByteArray *>(context)->append(buffer, length);
    return length;
}

#if LIBXML_VERSION >= 21400
xmlCharEncError EncodeWith(
    void *encoder, unsigned char *out, int *outLength, const unsigned char *in, int *inLength, int)
{
    switch (static_cast<RoundTripEncoder *>(encoder)->Convert(out, outLength, in, inLength)) {
    case -1:
        return XML_ENC_ERR_SPACE;
    case -2:
        return XML_ENC_ERR_INPUT;
    default:
        // A character cut at the end of in is left for the next call, which brings the rest.
        return XML_ENC_ERR_SUCCESS;
    }
}

// Declines, noting that it was asked: the library asks only for encodings it does not convert itself.
xmlParserErrors NoteAsked(void *asked, const char *, xmlCharEncFlags, xmlCharEncodingHandler **)
{
    *static_cast<bool *>(asked) = true;
    return XML_ERR_UNSUPPORTED_ENCODING;
}

// The system converter's name when the library would convert the encoding through it, nothing when
// the library converts it itself.
std::optional<QByteArray> SystemConverter(const char *encoding)
{
    bool asked = false;
    xmlCharEncodingHandlerPtr library = nullptr;
    const int found = xmlCreateCharEncodingHandler(encoding, XML_ENC_OUTPUT, NoteAsked, &asked, &library);
    if (library != nullptr)
        xmlCharEncCloseFunc(library);
    if (asked)
        return XmlLibrary::ConverterName(encoding);
    if (found != XML_ERR_OK)
        throw StoreError(Unwritable(encoding));
    return std::nullopt;
}

int SaveThrough(RoundTripEncoder *encoder, xmlDocPtr doc, const char *encoding, QByteArray *bytes)
{
    xmlCharEncodingHandlerPtr handler = nullptr;
    if (xmlCharEncNewCustomHandler(encoding, nullptr, EncodeWith, nullptr, nullptr, encoder, &handler) != XML_ERR_OK)
        return -1;
    // The output buffer owns the handler from here on.
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(AppendToByteArray, nullptr, bytes, handler);
    return output == nullptr ? -1 : xmlSaveFileTo(output, doc, encoding);
}
#else
thread_local RoundTripEncoder *activeEncoder = nullptr;

int EncodeWithActiveEncoder(unsigned char *out, int *outLength, const unsigned char *in, int *inLength)
{
    return activeEncoder->Convert(out, outLength, in, inLength);
}

std::optional<QByteArray> SystemConverter(const char *encoding)
{
    xmlCharEncodingHandlerPtr library = xmlFindCharEncodingHandler(encoding);
    if (library == nullptr)
        throw StoreError(Unwritable(encoding));
    const bool converted = library->iconv_out != nullptr;
    const QByteArray name(library->name);
    xmlCharEncCloseFunc(library);
    return converted ? std::optional(name) : std::nullopt;
}

// This library copies nothing from the handler and frees only the handlers it made itself.
int SaveThrough(RoundTripEncoder *encoder, xmlDocPtr doc, const char *encoding, QByteArray *bytes)
{
    QByteArray name = encoder->encoding();
    xmlCharEncodingHandler handler {};
    handler.name = name.data();
    handler.output = EncodeWithActiveEncoder;
    activeEncoder = encoder;
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(AppendToByteArray, nullptr, bytes, &handler);
    const int result = output == nullptr ? -1 : xmlSaveFileTo(output, doc, encoding);
    activeEncoder = nullptr;
    return result;
}
#endif

int SaveWith(xmlDocPtr doc, const char *encoding, int options, QByteArray *bytes)
{
    xmlSaveCtxtPtr context = xmlSaveToIO(AppendToByteArray, nullptr, bytes, encoding, options);
    if (context == nullptr)
        throw StoreError(Unwritable(encoding));
    const long written = xmlSaveDoc(context, doc);
    const int closed = xmlSaveClose(context);
    return written < 0 || closed < 0 ? -1 : 0;
}

int SaveInUtf8(xmlDocPtr doc, QByteArray *bytes)
{
    return SaveWith(doc, "UTF-8", XML_SAVE_NO_DECL, bytes);
}

// Encodings the library converts through the system's converter go through a RoundTripEncoder,
// so that no character is silently written as another one.
int SaveDeclared(xmlDocPtr doc, std::unique_ptr<RoundTripEncoder> &encoder, QByteArray *bytes)
{
    const char *encoding = doc->encoding != nullptr ? reinterpret_cast<const char *>(doc->encoding) : "UTF-8";
    const std::optional<QByteArray> converter = SystemConverter(encoding);
    if (!converter)
        return SaveWith(doc, encoding, 0, bytes);
    if (encoder == nullptr || encoder->encoding() != *converter)
        encoder = std::make_unique<RoundTripEncoder>(*converter);
    if (!encoder->EncodesPerCharacter())
        return SaveWith(doc, encoding, 0, bytes);
    return SaveThrough(encoder.get(), doc, encoding, bytes);
}
}

QByteArray Write(xmlDocPtr doc, std::unique_ptr<RoundTripEncoder> &encoder)
{
    XmlLibrary::ErrorCapture capture;
    QByteArray bytes;
    // Without a declaration only UTF-8 tells its own encoding.
    const int result = doc->standalone != -1 ? SaveDeclared(doc, encoder, &bytes) : SaveInUtf8(doc, &bytes);
    if (result < 0 || !capture.text().isEmpty()) {
        const QString failure = QStringLiteral("文書を XML として書き出せませんでした。");
        throw StoreError(Words::WithDetail(failure, capture.text()));
    }
    return bytes;
}

}
