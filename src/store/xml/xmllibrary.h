#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

// What the files of store/xml share over libxml2. Only they include this header; the rest of the
// store reaches the layer through xmldom.h.
namespace XmlLibrary {

inline const xmlChar *const DeclarationTarget = BAD_CAST "xml";
// An entry's content is character data, so spaces alone in it are the entry and stay.
inline const xmlChar *const EntryElementName = BAD_CAST "TEXT";

// Once per process: the library itself and the encoding names month files use.
void Init();

// The system converter's name for an encoding a document declares: code page 932 for every name
// of Shift_JIS, the name itself for other encodings.
QByteArray ConverterName(const char *encoding);
// Whether the library can read and write the encoding, under the converter names above.
bool CanConvert(const char *encoding);
// A parser context that reads each encoding through the converter names above; null when out of
// memory.
xmlParserCtxtPtr NewParserContext();

QString FromXml(const xmlChar *text);
// Characters XML 1.0 cannot carry would make the written file unreadable; each becomes U+FFFD.
QByteArray ToXmlUtf8(const QString &text);
// The node behind a handle; throws StoreError for a handle to no node.
xmlNodePtr Checked(void *node);
// The name in UTF-8; throws StoreError when it is no XML name.
QByteArray CheckedName(const QString &name);
bool IsDeclaration(xmlNodePtr node);
// Text of spaces, tabs and line breaks alone: indentation, outside an entry.
bool IsBlankText(xmlNodePtr node);

// Collects the library's messages for the duration of one operation instead of printing them.
class ErrorCapture
{
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    QString text() const { return m_text; }

private:
#if LIBXML_VERSION >= 21200
    using Error = const xmlError *;
#else
    using Error = xmlErrorPtr;
#endif
    static void Collect(void *context, Error error);

    xmlStructuredErrorFunc m_previous;
    void *m_previousContext;
    QString m_text;
};

}
