#include "store/xmlwriter.h"

#include "store/roundtripencoder.h"
#include "store/storeerror.h"
#include "store/xmllibrary.h"

#include <libxml/encoding.h>
#include <libxml/xmlsave.h>

namespace XmlWriter {

namespace {

int AppendToByteArray(void *context, const char *buffer, int length)
{
    static_cast<QByteArray *>(context)->append(buffer, length);
    return length;
}

thread_local RoundTripEncoder *activeEncoder = nullptr;

int EncodeWithActiveEncoder(unsigned char *out, int *outLength, const unsigned char *in, int *inLength)
{
    return activeEncoder->Convert(out, outLength, in, inLength);
}

int SaveWith(xmlDocPtr doc, const char *encoding, int options, QByteArray *bytes)
{
    xmlSaveCtxtPtr context = xmlSaveToIO(AppendToByteArray, nullptr, bytes, encoding, options);
    if (context == nullptr)
        throw StoreError(QStringLiteral("cannot write encoding \"%1\"").arg(QString::fromUtf8(encoding)));
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
    xmlCharEncodingHandlerPtr library = xmlFindCharEncodingHandler(encoding);
    if (library == nullptr)
        throw StoreError(QStringLiteral("unsupported encoding \"%1\"").arg(QString::fromUtf8(encoding)));
    const bool converted = library->iconv_out != nullptr;
    QByteArray converterName(library->name);
    xmlCharEncCloseFunc(library);
    if (!converted)
        return SaveWith(doc, encoding, 0, bytes);
    if (encoder == nullptr || encoder->encoding() != converterName)
        encoder = std::make_unique<RoundTripEncoder>(converterName);
    if (!encoder->EncodesPerCharacter())
        return SaveWith(doc, encoding, 0, bytes);
    xmlCharEncodingHandler handler {};
    handler.name = converterName.data();
    handler.output = EncodeWithActiveEncoder;
    activeEncoder = encoder.get();
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(AppendToByteArray, nullptr, bytes, &handler);
    const int result = output == nullptr ? -1 : xmlSaveFileTo(output, doc, encoding);
    activeEncoder = nullptr;
    return result;
}
}

QByteArray Write(xmlDocPtr doc, std::unique_ptr<RoundTripEncoder> &encoder)
{
    XmlLibrary::ErrorCapture capture;
    QByteArray bytes;
    // Without a declaration only UTF-8 tells its own encoding.
    const int result = doc->standalone != -1 ? SaveDeclared(doc, encoder, &bytes) : SaveInUtf8(doc, &bytes);
    if (result < 0 || !capture.text().isEmpty())
        throw StoreError(capture.text().isEmpty() ? QStringLiteral("cannot serialize the document") : capture.text());
    return bytes;
}

}
